#include "app/desktop_link.h"

#include "app/target_files.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace zorbe {
namespace {

TEST(DesktopLink, LinkFilesAreKnownByTheirExtension) {
  EXPECT_TRUE(IsLinkFileName("/a/b.desktop"));
  EXPECT_TRUE(IsLinkFileName("/a/B.DeskTop"));
  EXPECT_FALSE(IsLinkFileName("/a/b.desktop.txt"));
  EXPECT_FALSE(IsLinkFileName("desktop"));
}

TEST(DesktopLink, FileUrlsGiveLocalPaths) {
  const std::pair<const char*, const char*> cases[] = {
      {"file:///home/u/a%20b.txt", "/home/u/a b.txt"},
      {"file://localhost/x/%E3%81%82.txt", "/x/あ.txt"},
      {"file://otherhost/x.txt", ""},
      {"https://example.org/x.txt", ""},
      {"file:///bad%2", ""},
      {"file:///nul%00.txt", ""},
      {"file:x.txt", ""},
  };
  for (const auto& [url, path] : cases) {
    EXPECT_EQ(LocalPathOfFileUrl(url), path) << url;
  }
}

TEST(DesktopLink, LinksResolveToTheirTargetOthersAreRefusedWithAReason) {
  test::TTempFolder folder;
  const std::string target = folder.Write("my text.txt", "b\r\na\r\n");
  folder.Write("sub/x.txt", "x");
  struct Case {
    const char* name;
    std::string content;
    std::string target;  // expected; empty when refused
    std::string refusal; // a part of the refusal
  };
  const Case cases[] = {
      {"link.desktop",
       "# made by a file manager\n[Desktop Entry]\nVersion=1.0\nType = Link\nName=a\n"
       "URL=file://" +
           folder.Path().string() + "/my%20text.txt\n[Other]\nURL=file:///x\n",
       target, ""},
      {"crlf.desktop", "[Desktop Entry]\r\nType=Link\r\nURL=file://" + target + "\r\n", target, ""},
      {"launcher.desktop", "[Desktop Entry]\nType=Application\nExec=zorbe %F\n", "",
       "はファイルへのリンクではありません。"},
      {"other group.desktop", "[Other]\nType=Link\nURL=file://" + target + "\n", "",
       "はファイルへのリンクではありません。"},
      {"web.desktop", "[Desktop Entry]\nType=Link\nURL=https://example.org/\n", "",
       "」のリンク先「https://example.org/」はこのコンピュータ上のファイルではありません。"},
      {"broken.desktop",
       "[Desktop Entry]\nType=Link\nURL=file://" + folder.Path().string() + "/gone.txt\n", "",
       "/gone.txt」は存在しません。"},
      {"folder.desktop",
       "[Desktop Entry]\nType=Link\nURL=file://" + folder.Path().string() + "/sub\n", "",
       "/sub」はフォルダです。"},
      {"binary.desktop", std::string("\0\1\2\3", 4), "", "はファイルへのリンクではありません。"},
      {"huge.desktop", std::string(100000, '#'), "", "はファイルへのリンクではありません。"},
  };
  for (const Case& c : cases) {
    const std::string link = folder.Write(c.name, c.content);
    const TLinkTarget resolved = ResolveLinkFile(link);
    EXPECT_EQ(resolved.target, c.target) << c.name;
    if (!c.refusal.empty()) {
      EXPECT_EQ(resolved.refusal.rfind("「" + link + "」", 0), 0u) << c.name;
      EXPECT_NE(resolved.refusal.find(c.refusal), std::string::npos) << resolved.refusal;
    }
  }
  EXPECT_NE(ResolveLinkFile(folder.File("missing.desktop")).refusal, "");
}

TEST(DesktopLink, TheListTakesTheTargetOfALinkAndOtherNamesAsTheyAre) {
  test::TTempFolder folder;
  const std::string target = folder.Write("t.txt", "a");
  const std::string link =
      folder.Write("t.desktop", "[Desktop Entry]\nType=Link\nURL=file://" + target + "\n");
  const std::string launcher = folder.Write("l.desktop", "[Desktop Entry]\nType=Application\n");
  std::vector<std::string> errors;
  const MessageSink sink = [&](const std::string& message) { errors.push_back(message); };
  EXPECT_EQ(ListedFileName(link, sink), target);
  EXPECT_EQ(ListedFileName(target, sink), target);
  EXPECT_EQ(ListedFileName(launcher, sink), std::nullopt);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "「" + launcher + "」はファイルへのリンクではありません。");
}

} // namespace
} // namespace zorbe
