#include "platform/profile/FonedeskProfile.h"

#include <algorithm>
#include <cstdio>

namespace platform::fonedesk_profile {

std::string PhoneReferenceKey(int digit) {
    char key[32];
    std::snprintf(key, sizeof key, "%s%d", std::string(kPhoneReference).c_str(), digit);
    return key;
}

std::string ColumnLayoutKey(std::string_view table) {
    return std::string(table) + "_layout";
}

std::string ColumnOrderKey(std::string_view table) {
    return std::string(table) + "_order";
}

char FieldDelimiter(const ProfileFile& profile) {
    const std::string value =
        profile.GetString(kProgramOptions, kFieldDelimiter, kFieldDelimiterDefault);
    return value.empty() ? kFieldDelimiterDefault.front() : value.front();
}

std::vector<std::string> PhoneReferences(const ProfileFile& profile) {
    std::vector<std::string> paths;
    for (int digit = 0; digit < kPhoneReferenceCount; ++digit) {
        std::string path = profile.GetString(kProgramOptions, PhoneReferenceKey(digit));
        if (path.empty()) {
            break;
        }
        paths.push_back(std::move(path));
    }
    return paths;
}

bool WritePhoneReferences(ProfileFile& profile, const std::vector<std::string>& paths) {
    const int count = static_cast<int>(std::min<std::size_t>(paths.size(), kPhoneReferenceCount));
    for (int digit = 0; digit < count; ++digit) {
        if (!profile.WriteString(kProgramOptions, PhoneReferenceKey(digit),
                                 paths[static_cast<std::size_t>(digit)])) {
            return false;
        }
    }
    if (count < kPhoneReferenceCount) {
        return profile.WriteString(kProgramOptions, PhoneReferenceKey(count), "");
    }
    return true;
}

}  // namespace platform::fonedesk_profile
