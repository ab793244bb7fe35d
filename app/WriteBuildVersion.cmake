# Run at every build (cmake -P): writes OUTPUT, a header with the project's VERSION and the
# commit SOURCE_DIR is checked out at, and touches it only when that changes, so that a new
# commit shows in the settings window without rebuilding anything else.
execute_process(COMMAND git rev-parse --short HEAD
    WORKING_DIRECTORY ${SOURCE_DIR}
    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE status)
# A source tree outside git (a release archive, the Debian package's) has no commit.
if(NOT status EQUAL 0)
    set(commit "")
endif()

set(content "#pragma once\n\n// Written by app/WriteBuildVersion.cmake at build time.\n\
namespace plovik::build {\n\
inline constexpr const char* kVersion = \"${VERSION}\";\n\
inline constexpr const char* kCommit = \"${commit}\";\n\
}  // namespace plovik::build\n")

set(current "")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} current)
endif()
if(NOT current STREQUAL content)
    file(WRITE ${OUTPUT} "${content}")
endif()
