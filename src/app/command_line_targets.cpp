#include "app/command_line_targets.h"

#include "app/message_routine.h"
#include "app/message_texts.h"
#include "app/target_files.h"
#include "platform/file_system.h"
#include "text/char_code.h"
#include "text/input_code.h"

#include <cerrno>

namespace zorbe {
namespace {

void ShowError(const std::string& text) {
  ShowMessage(text + kAbortLine, TMsgKind::Error, TMsgButtons::OK);
}

// A stream that starts like a binary file: it is not read on.
struct EBinaryStream {};

// Reads a stream whole. One that starts like a binary file is not read on (/dev/zero never
// ends): its first block is enough to refuse it. A named pipe waits for its writer, as every
// tool reads one. Throws EFileError and EBinaryStream.
std::string ReadStream(const std::string& name) {
  std::string bytes;
  const auto reserve = [&](std::size_t needed) {
    if (!bytes.empty() && IsBinaryBlock(std::string_view(bytes).substr(0, kDetectBlockSize))) {
      throw EBinaryStream{};
    }
    bytes.resize(needed);
    return bytes.data();
  };
  const std::size_t size = ReadFileInto(name, reserve);
  bytes.resize(size);
  return bytes;
}

class TTargetCollector {
public:
  explicit TTargetCollector(TSortJobInputs& inputs)
      : inputs_(inputs), named_(InputCodeOfValue(inputs.setting.InputCode)) {}

  bool Add(const std::string& name);
  // Tells the user which files of the folders were left out.
  void WarnSkipped() const;

private:
  bool AddFile(const std::string& name);
  bool AddFolder(const std::string& folder);
  bool AddStream(const std::string& name);
  void Accept(const std::string& name, TCharCode code) {
    inputs_.files.push_back(name);
    inputs_.codes.push_back(code);
  }

  TSortJobInputs& inputs_;
  std::optional<TCharCode> named_;   // the code the user named for every file: no detection
  std::vector<std::string> skipped_; // the refusals of files in folders
};

bool TTargetCollector::Add(const std::string& name) {
  const TFileStatus status = FileStatusOf(name);
  switch (status.kind) {
  case TFileStatus::TKind::Unseen:
    ShowError(status.error == ENOENT ? NotFoundMessage(name)
                                     : CannotOpenMessage(name, status.error));
    return false;
  case TFileStatus::TKind::Folder:
    return AddFolder(name);
  case TFileStatus::TKind::Regular:
    return AddFile(name);
  default:
    return AddStream(name);
  }
}

bool TTargetCollector::AddFile(const std::string& name) {
  const std::optional<TCharCode> result =
      named_ ? AcceptedListCode(name, ShowError, named_) : DetectTargetCode(name, ShowError);
  if (!result) {
    return false;
  }
  if (const std::string refusal = ListRefusalMessage(name, *result); !refusal.empty()) {
    ShowError(refusal);
    return false;
  }
  Accept(name, *result);
  return true;
}

bool TTargetCollector::AddFolder(const std::string& folder) {
  std::vector<std::string> files;
  CollectFolderFiles(folder, files, true);
  const std::size_t before = inputs_.files.size();
  for (const std::string& file : files) {
    if (IsNamedPipe(file)) {
      skipped_.push_back(NamedPipeSkippedMessage(file));
      continue;
    }
    const std::optional<TCharCode> result =
        named_ ? AcceptedListCode(file, ShowError, named_) : DetectTargetCode(file, ShowError);
    if (!result) {
      return false; // a file that should be sorted and can't be read ends the run
    }
    if (std::string refusal = ListRefusalMessage(file, *result); !refusal.empty()) {
      skipped_.push_back(std::move(refusal));
      continue;
    }
    Accept(file, *result);
  }
  if (inputs_.files.size() == before) {
    WarnSkipped();
    ShowError("「" + folder + "」にはソートできるファイルがありません。");
    return false;
  }
  return true;
}

bool TTargetCollector::AddStream(const std::string& name) {
  std::string bytes;
  try {
    bytes = ReadStream(name);
  } catch (const EFileError& e) {
    ShowMessage(e.what(), TMsgKind::Error, TMsgButtons::OK); // ends with the abort line
    return false;
  } catch (const EBinaryStream&) {
    ShowError(ListRefusalMessage(name, ccBinary));
    return false;
  }
  std::string foreign;
  const TCharCode result =
      named_ ? *named_ : DetectCharCodeOfBytes(bytes, name, [&](const std::string& message) {
        foreign = message;
      });
  if (!foreign.empty()) {
    ShowError(foreign);
    return false;
  }
  if (const std::string refusal = ListRefusalMessage(name, result); !refusal.empty()) {
    ShowError(refusal);
    return false;
  }
  inputs_.contents[inputs_.files.size()] = std::move(bytes);
  Accept(name, result);
  return true;
}

void TTargetCollector::WarnSkipped() const {
  if (skipped_.empty()) {
    return;
  }
  std::string text = "次のファイルはソートしません。";
  for (const std::string& refusal : skipped_) {
    text += "\r\n" + refusal;
  }
  ShowMessage(text, TMsgKind::Warning, TMsgButtons::OK);
}

} // namespace

bool AddCommandLineTargets(const std::vector<std::string>& names, TSortJobInputs& inputs) {
  TTargetCollector collector(inputs);
  for (const std::string& name : names) {
    if (!collector.Add(name)) {
      return false;
    }
  }
  collector.WarnSkipped();
  return true;
}

} // namespace zorbe
