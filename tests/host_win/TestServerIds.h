#pragma once
// Identity of the test automation server built beside the tests (invciv_testserver.dll).

#define INVCIV_TEST_SERVER_PROGID L"InvCivTest.Server"
#define INVCIV_TEST_SERVER_CLSID L"{0B6E2D5C-7A41-4F3B-9C2E-5D1A8E4F6B27}"
#define INVCIV_TEST_SERVER_DLL L"invciv_testserver.dll"
