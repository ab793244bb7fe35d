#include <gtest/gtest.h>

#include "core/support/Url.h"

namespace plovik {
namespace {

TEST(Url, ParsesOnlyWellFormedAbsoluteUrls) {
    for (const char* good : {"file:///usr/share/applications/org.gnome.TextEditor.desktop",
                             "https://example.org/a?b=c#d", "mailto:someone@example.org",
                             "file:///opt/My%20App/app.desktop", "x-scheme+1.2:rest"}) {
        const auto url = Url::parse(good);
        ASSERT_TRUE(url.has_value()) << good;
        EXPECT_EQ(url->absoluteString(), good);
    }
    for (const char* bad : {"", "no scheme", "relative/path", "/usr/share/x.desktop", "1http://x",
                            ":empty-scheme", "file:///a b", "file:///%zz", "file:///tail%4",
                            "http://\xC3\xA4.example", "file:///a\"b", "file:///a\\b"}) {
        EXPECT_FALSE(Url::parse(bad).has_value()) << bad;
    }
    EXPECT_EQ(Url::parse("HTTPS://example.org")->scheme(), "https");
}

TEST(Url, BuildsAndReadsFileUrls) {
    const auto url = Url::fileUrl("/usr/share/my app/\xC3\xA4%.desktop");
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->absoluteString(), "file:///usr/share/my%20app/%C3%A4%25.desktop");
    EXPECT_TRUE(Url::parse(url->absoluteString()).has_value());
    EXPECT_EQ(url->filePath(), "/usr/share/my app/\xC3\xA4%.desktop");
    EXPECT_FALSE(Url::fileUrl("relative/app.desktop").has_value());
    EXPECT_FALSE(Url::fileUrl("").has_value());

    EXPECT_EQ(Url::parse("file://localhost/tmp/x")->filePath(), "/tmp/x");
    EXPECT_EQ(Url::parse("FILE:///tmp/x?query#part")->filePath(), "/tmp/x");
    EXPECT_FALSE(Url::parse("file://server/share/x")->filePath().has_value());
    EXPECT_FALSE(Url::parse("https://example.org/x")->filePath().has_value());
}

}  // namespace
}  // namespace plovik
