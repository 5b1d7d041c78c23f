// A shared library that loads but is no component: it has no DllGetClassObject.
extern "C" __attribute__((visibility("default"))) int FonerixTestNothingHere() {
    return 0;
}
