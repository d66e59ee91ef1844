#include "bundle_answer.h"
#include "configuration_key.h"

// Installers run this unattended and read nothing but the registry value, so
// every path through main is silent and ends with status 0.
int main(int argc, char **argv)
{
    HKEY key = nullptr;
    // The key is opened before the arguments are looked at: every run leaves
    // the configuration key in place, whatever it was asked.
    const bool opened = open_configuration_key(&key);
    const char *answer = choose_bundle_answer(argc, argv);
    if (opened) {
        write_bundle_answer(key, answer);
        close_configuration_key(key);
    }
    return 0;
}
