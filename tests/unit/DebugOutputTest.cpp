#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "effects/DebugOutput.h"

namespace {
std::string sourceOf(GLenum source) {
    const std::string line =
        formatDebugMessage(source, GL_DEBUG_TYPE_ERROR, 1, GL_DEBUG_SEVERITY_HIGH, "m");
    const auto begin = line.find("Source = ") + 9;
    return line.substr(begin, line.find(',', begin) - begin);
}
std::string typeOf(GLenum type) {
    const std::string line =
        formatDebugMessage(GL_DEBUG_SOURCE_API, type, 1, GL_DEBUG_SEVERITY_HIGH, "m");
    const auto begin = line.find("Type = ") + 7;
    return line.substr(begin, line.find(',', begin) - begin);
}
std::string severityOf(GLenum severity) {
    const std::string line =
        formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, 1, severity, "m");
    const auto begin = line.find("Severity = ") + 11;
    return line.substr(begin, line.find(',', begin) - begin);
}
}  // namespace

TEST(DebugOutput, WholeLine) {
    EXPECT_EQ(formatDebugMessage(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_OTHER, 42,
                                 GL_DEBUG_SEVERITY_NOTIFICATION, "Buffer created"),
              "OpenGL Error: Buffer created [Source = API, Type = Other, Severity = Unknown, "
              "ID = 42]");
    EXPECT_EQ(formatDebugMessage(0x1234, 0x1234, 4294967295u, 0x1234, ""),
              "OpenGL Error:  [Source = Unknown, Type = Unknown, Severity = Unknown, "
              "ID = 4294967295]");
}

TEST(DebugOutput, SourceTableWithVendorCategories) {
    const std::vector<std::pair<GLenum, std::string>> table = {{0x8246, "API"},
                                                               {0x9149, "API"},
                                                               {0x8247, "Window System"},
                                                               {0x914A, "Window System"},
                                                               {0x8248, "Shader Compiler"},
                                                               {0x914E, "Shader Compiler"},
                                                               {0x8249, "Third Party"},
                                                               {0x824A, "Application"},
                                                               {0x914F, "Application"},
                                                               {0x824B, "Other"},
                                                               {0x9150, "Other"},
                                                               {0x914B, "Unknown"},
                                                               {0x914C, "Unknown"},
                                                               {0x914D, "Unknown"},
                                                               {0x824C, "Unknown"},
                                                               {0, "Unknown"}};
    for (const auto& [value, name] : table) EXPECT_EQ(sourceOf(value), name) << std::hex << value;
}

TEST(DebugOutput, TypeTableWithVendorCategories) {
    const std::vector<std::pair<GLenum, std::string>> table = {
        {0x824C, "Error"},
        {0x824D, "Deprecated Behavior"},
        {0x914B, "Deprecated Behavior"},
        {0x824E, "Undefined Behavior"},
        {0x914C, "Undefined Behavior"},
        {0x824F, "Portability"},
        {0x8250, "Performance"},
        {0x914D, "Performance"},
        {0x8251, "Other"},
        {0x9150, "Other"},
        {0x9149, "Unknown"},
        {0x914A, "Unknown"},
        {0x914E, "Unknown"},
        {0x914F, "Unknown"},
        {GL_DEBUG_TYPE_MARKER, "Unknown"},
        {GL_DEBUG_TYPE_PUSH_GROUP, "Unknown"},
        {GL_DEBUG_TYPE_POP_GROUP, "Unknown"}};
    for (const auto& [value, name] : table) EXPECT_EQ(typeOf(value), name) << std::hex << value;
}

TEST(DebugOutput, SeverityTable) {
    EXPECT_EQ(severityOf(0x9146), "High");
    EXPECT_EQ(severityOf(0x9147), "Medium");
    EXPECT_EQ(severityOf(0x9148), "Low");
    EXPECT_EQ(severityOf(GL_DEBUG_SEVERITY_NOTIFICATION), "Unknown");
    EXPECT_EQ(severityOf(0), "Unknown");
}

TEST(DebugOutput, CallbackPrintsOneLineAndSkipsTheTwoNoisyIds) {
    testing::internal::CaptureStdout();
    for (GLuint id : {131185u, 131218u}) {
        debugMessageCallback(GL_DEBUG_SOURCE_API, GL_DEBUG_TYPE_ERROR, id, GL_DEBUG_SEVERITY_HIGH,
                             -1, "noisy", nullptr);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    testing::internal::CaptureStdout();
    debugMessageCallback(GL_DEBUG_SOURCE_APPLICATION, GL_DEBUG_TYPE_PERFORMANCE, 131186,
                         GL_DEBUG_SEVERITY_MEDIUM, 4, "slow", nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "OpenGL Error: slow [Source = Application, Type = Performance, Severity = Medium, "
              "ID = 131186]\n");
}
