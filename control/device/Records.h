#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/automation/Bstr.h"

namespace fonerix {

// The records that cross the automation interface by address. Their layouts are part of the
// interface: little-endian, natural alignment. The records that hold a BSTR take the 64-bit
// layout of the same declaration (the pointer 8-byte aligned); the others are byte-exact. A BSTR
// the device puts into a record belongs to the caller, who frees it.

struct DEVICEINFO {
    int32_t inUse;      // the version byte (register 0); 0 when the set did not answer
    uint32_t devVer;    // bits 7..5 of the version byte
    uint32_t prgVer;    // bits 4..0 of the version byte
    uint32_t devType;   // the type byte at memory 0x1FFF; all bits set when not read
    int32_t IdZelta;    // devType * 10,000,000 + devVer * 100,000 + prgVer * 1,000 + 1
    uint32_t Port;      // COM port number the set answers on
    uint32_t BaudRate;  // the family's link speed
    BSTR Caption;       // the model name for devType
};

struct PHBOOKRECORD {
    int32_t inUse;  // 1: this step produced an entry; 0: the slot was empty or of another kind
    BSTR Phone;
    uint8_t Min;
    uint8_t Hour;
    uint8_t Date;
    uint8_t Month;
    uint8_t Year;  // two digits, stored or inferred
    uint8_t Rang;
    uint8_t posInBook;
    uint8_t Delay;
    uint8_t isParall;
    uint8_t isFlop;
    uint32_t nandAdress;
    uint16_t nandMessg;
};

struct CALLSTATISTIC {
    uint16_t billMonth;
    uint16_t curLocal;
    uint16_t prevLocal;
    uint16_t curLong;
    uint16_t prevLong;
};

struct AUTODETPARAMS {
    uint16_t queryTime;   // ms, 10..250 in steps of 2
    uint8_t queryForm;    // low nibble: queries; high nibble: one waveform flag per query
    uint16_t resolTime;   // ms, 10..990 in steps of 10
    uint16_t firstDelay;  // ms, 10..990 in steps of 10
    uint8_t minDigits;    // 0..5
};

static_assert(sizeof(DEVICEINFO) == 40);
static_assert(offsetof(DEVICEINFO, inUse) == 0);
static_assert(offsetof(DEVICEINFO, devVer) == 4);
static_assert(offsetof(DEVICEINFO, prgVer) == 8);
static_assert(offsetof(DEVICEINFO, devType) == 12);
static_assert(offsetof(DEVICEINFO, IdZelta) == 16);
static_assert(offsetof(DEVICEINFO, Port) == 20);
static_assert(offsetof(DEVICEINFO, BaudRate) == 24);
static_assert(offsetof(DEVICEINFO, Caption) == 32);

static_assert(sizeof(PHBOOKRECORD) == 40);
static_assert(offsetof(PHBOOKRECORD, inUse) == 0);
static_assert(offsetof(PHBOOKRECORD, Phone) == 8);
static_assert(offsetof(PHBOOKRECORD, Min) == 16);
static_assert(offsetof(PHBOOKRECORD, Hour) == 17);
static_assert(offsetof(PHBOOKRECORD, Date) == 18);
static_assert(offsetof(PHBOOKRECORD, Month) == 19);
static_assert(offsetof(PHBOOKRECORD, Year) == 20);
static_assert(offsetof(PHBOOKRECORD, Rang) == 21);
static_assert(offsetof(PHBOOKRECORD, posInBook) == 22);
static_assert(offsetof(PHBOOKRECORD, Delay) == 23);
static_assert(offsetof(PHBOOKRECORD, isParall) == 24);
static_assert(offsetof(PHBOOKRECORD, isFlop) == 25);
static_assert(offsetof(PHBOOKRECORD, nandAdress) == 28);
static_assert(offsetof(PHBOOKRECORD, nandMessg) == 32);

static_assert(sizeof(CALLSTATISTIC) == 10);
static_assert(offsetof(CALLSTATISTIC, billMonth) == 0);
static_assert(offsetof(CALLSTATISTIC, curLocal) == 2);
static_assert(offsetof(CALLSTATISTIC, prevLocal) == 4);
static_assert(offsetof(CALLSTATISTIC, curLong) == 6);
static_assert(offsetof(CALLSTATISTIC, prevLong) == 8);

static_assert(sizeof(AUTODETPARAMS) == 10);
static_assert(offsetof(AUTODETPARAMS, queryTime) == 0);
static_assert(offsetof(AUTODETPARAMS, queryForm) == 2);
static_assert(offsetof(AUTODETPARAMS, resolTime) == 4);
static_assert(offsetof(AUTODETPARAMS, firstDelay) == 6);
static_assert(offsetof(AUTODETPARAMS, minDigits) == 8);

}  // namespace fonerix
