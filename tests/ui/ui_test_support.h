#pragma once
// What the window tests share: a message routine that records every message and answers from a
// script or a hook (so a test can act while a question is open), a shell that records its
// requests, and a fixture with a temporary program folder and its zorbe.ini.

#include "platform/message_box.h"
#include "platform/shell.h"
#include "scripted_message_box.h"
#include "settings/settings_file.h"
#include "test_support.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorbe::test {

// The screens of the offscreen platform in the window tests, side by side, as their work areas:
// the most common laptop size, 1366x768 without a 40-pixel panel (the primary screen); 1280x720
// without a 32-pixel one; and a large 1920x1080 one.
inline const QRect kLaptopWorkArea(0, 0, 1366, 728);
inline const QRect kSmallWorkArea(1366, 0, 1280, 688);
inline const QRect kLargeWorkArea(2646, 0, 1920, 1040);

class TRecordingShell : public IShell {
public:
  void PlaySound(const std::string& fileName) override { sounds.push_back(fileName); }
  void Beep() override { ++beeps; }
  void OpenInEditor(const std::string& editor, const std::string& fileName) override {
    opened.push_back({editor, fileName});
  }
  bool OpenUrl(const std::string& url) override {
    urls.push_back(url);
    return urlsOpen;
  }
  std::vector<std::string> sounds;
  std::vector<std::string> urls;
  bool urlsOpen = true; // what OpenUrl answers
  std::vector<std::pair<std::string, std::string>> opened;
  int beeps = 0;
};

class UiTest : public testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  TTempFolder folder;
  TSettingsFile settings{folder.File("zorbe.ini")};
  TScriptedMessageBox messages;
  TRecordingShell shell;
};

// Runs the event loop until the condition holds or the time is up; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

// The child of `parent` with that objectName; fails the test when there is none.
template <typename T> T* Find(const QObject* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

QString Q(const std::string& text);

} // namespace zorbe::test
