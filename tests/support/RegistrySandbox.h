// Gives a test an empty program key: removes HKCU\Software\Corvane Software
// before and after the test.
#pragma once

#include <windows.h>

inline void DeleteProgramKeys() {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Corvane Software");
}

struct RegistrySandbox {
    RegistrySandbox() { DeleteProgramKeys(); }
    ~RegistrySandbox() { DeleteProgramKeys(); }
};
