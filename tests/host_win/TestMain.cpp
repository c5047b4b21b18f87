// The tests run in one single-threaded apartment, as the program's user-interface thread does.

#include "host/win/ComApartment.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const host::win::ComApartment apartment;
    if (!apartment.initialised()) {
        std::fprintf(stderr, "CoInitializeEx failed: 0x%08lX\n",
                     static_cast<unsigned long>(apartment.result()));
        return 2;
    }
    return RUN_ALL_TESTS();
}
