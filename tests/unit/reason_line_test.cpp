#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "output/program_texts.h"
#include "output/reason_line.h"
#include "support/console_capture.h"
#include "support/faulting_system.h"
#include "support/reason_codes.h"

namespace {

struct ReasonCase {
    const char* name;
    HRESULT result;          // what failed
    std::string reasonLine;  // what follows the failure line, with the system's English text
};

const ReasonCase kReasonCases[] = {
    // A wrapped Win32 error is looked up by its code, and %1 names what the failure line names;
    // the line break that ends the message is not part of the line.
    {"Win32ErrorWithInsert", HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT),
     ReasonLine("C:\\Games\\100%1 is not a valid Win32 application.", "0x800700C1")},
    {"NoMessage", static_cast<HRESULT>(0x8004100E), ReasonWithoutMessageLine("0x8004100E")},
    // The program's own text for a code it raises stands in only where the system has none.
    {"SystemMessageBeforeProgramsOwn", HRESULT_FROM_WIN32(ERROR_NOT_FOUND),
     ReasonLine("Element not found.", "0x80070490")},
    // A step reported as failed has failed, whatever code reached it: never "(0)" or a success.
    {"SuccessCodeIsNamedAsUnspecifiedFailure", S_OK, ReasonLine("Unspecified error", "0x80004005")},
};

class ReasonLineTest : public testing::TestWithParam<ReasonCase> {};

TEST_P(ReasonLineTest, GivesTheSystemsMessageAndTheCode) {
    FaultingSystem system;
    ConsoleCapture console;
    WriteFailureReason(GetParam().result, L"C:\\Games\\100%1");
    EXPECT_EQ(console.Err(), GetParam().reasonLine);
    EXPECT_EQ(console.Out(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, ReasonLineTest, testing::ValuesIn(kReasonCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Every code the program returns of its own accord, which a system (Wine) may have no text for.
const HRESULT kProgramsOwnCodes[] = {
    E_FAIL,
    E_POINTER,
    E_INVALIDARG,
    E_OUTOFMEMORY,
    E_ACCESSDENIED,
    HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
    HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER),
    HRESULT_FROM_WIN32(ERROR_INVALID_NAME),
    static_cast<HRESULT>(0x800700A1),  // ERROR_BAD_PATHNAME
    HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE),
    HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE),
    HRESULT_FROM_WIN32(static_cast<LONG>(WAIT_TIMEOUT)),
    HRESULT_FROM_WIN32(ERROR_NOT_FOUND),
    static_cast<HRESULT>(0x800705B4),  // ERROR_TIMEOUT
    HRESULT_FROM_WIN32(ERROR_OBJECT_ALREADY_EXISTS),
};

class ProgramsOwnCodeTest : public testing::TestWithParam<HRESULT> {};

TEST_P(ProgramsOwnCodeTest, HasAMessageWhereTheSystemHasNone) {
    FaultingSystem system;
    system.Fail("FormatMessageW", ERROR_MR_MID_NOT_FOUND);
    ConsoleCapture console;
    WriteFailureReason(GetParam(), L"C:\\Games\\x.exe");
    char code[sizeof "(0x12345678)\n"];
    std::snprintf(code, sizeof code, "(0x%08X)\n", static_cast<unsigned>(GetParam()));
    EXPECT_THAT(
        console.Err(),
        testing::MatchesRegex(kReasonLineStart + std::string("[A-Z][^\n]+ \\(0x[0-9A-F]+\\)\n")));
    EXPECT_THAT(console.Err(), testing::EndsWith(code));
}

INSTANTIATE_TEST_SUITE_P(Codes, ProgramsOwnCodeTest, testing::ValuesIn(kProgramsOwnCodes));

}  // namespace
