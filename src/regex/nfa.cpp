// Generation of the NFA from the syntax tree with an explicit stack of pending
// (node, from, to) tasks.

#include "regex/nfa.h"

#include "regex/regexp_error.h"

#include <stdexcept>

namespace zorbe {
namespace {

struct TTask {
  const TRENode* node;
  std::uint32_t from;
  std::uint32_t to;
};

TRELabel CodeLabel(TRECode code) {
  return TRELabel{code, code};
}

} // namespace

std::uint32_t TRE_NFA::NewState() {
  if (states_.size() >= maxStates_) {
    throw ERegExpParser(re_message::kTooComplex, 0);
  }
  states_.emplace_back();
  return static_cast<std::uint32_t>(states_.size() - 1);
}

void TRE_NFA::AddMove(std::uint32_t from, TRELabel label, std::uint32_t to) {
  if (++moveCount_ > 4 * maxStates_) {
    throw ERegExpParser(re_message::kTooComplex, 0);
  }
  states_[from].push_back(TRENfaMove{label, to});
}

void TRE_NFA::Build(std::size_t maxStates) {
  maxStates_ = maxStates < 2 ? 2 : maxStates;
  states_.clear();
  moveCount_ = 0;
  lineStartAnchored_ = lineEndAnchored_ = false;
  NewState();
  NewState();
  if (tree_.Root() == nullptr) {
    return;
  }
  const TRELabel empty{};
  std::vector<TTask> tasks{{tree_.Root(), kInitialState, kFinalState}};
  while (!tasks.empty()) {
    const TTask task = tasks.back();
    tasks.pop_back();
    const TRENode* node = task.node;
    switch (node->kind) {
    case TRENodeKind::Range:
      AddMove(task.from, TRELabel{node->start, node->end}, task.to);
      break;
    case TRENodeKind::LineStart:
      if (task.from == kInitialState) {
        lineStartAnchored_ = true;
        AddMove(task.from, CodeLabel(lineStartCode_), task.to);
      } else {
        AddMove(task.from, CodeLabel(node->start), task.to);
      }
      break;
    case TRENodeKind::LineEnd:
      if (task.to == kFinalState) {
        lineEndAnchored_ = true;
        AddMove(task.from, CodeLabel(lineEndCode_), task.to);
      } else {
        AddMove(task.from, CodeLabel(node->start), task.to);
      }
      break;
    case TRENodeKind::Concatenation: {
      const std::uint32_t middle = NewState();
      tasks.push_back({node->right, middle, task.to});
      tasks.push_back({node->left, task.from, middle});
      break;
    }
    case TRENodeKind::Alternation:
      tasks.push_back({node->right, task.from, task.to});
      tasks.push_back({node->left, task.from, task.to});
      break;
    case TRENodeKind::Repetition: {
      const std::uint32_t loopStart = NewState();
      const std::uint32_t loopEnd = NewState();
      AddMove(task.from, empty, loopStart);
      AddMove(loopEnd, empty, loopStart);
      AddMove(loopStart, empty, task.to);
      tasks.push_back({node->left, loopStart, loopEnd});
      break;
    }
    case TRENodeKind::Empty:
      AddMove(task.from, empty, task.to);
      break;
    case TRENodeKind::Nothing:
      break;
    default:
      throw std::logic_error("This cannot happen in TRE_NFA.GenerateStateList");
    }
  }
}

} // namespace zorbe
