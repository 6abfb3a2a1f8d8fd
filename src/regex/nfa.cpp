// Generation of the NFA from the syntax tree with an explicit stack of pending
// (node, from, to) tasks.

#include "regex/nfa.h"

#include "regex/regexp_error.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <tuple>
#include <unordered_map>

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
  MergePrefixes();
  MergeSuffixes();
  // Merging can leave a state with the same move twice.
  for (auto& moves : states_) {
    std::sort(moves.begin(), moves.end(), [](const TRENfaMove& a, const TRENfaMove& b) {
      return std::tie(a.label.start, a.label.end, a.target) <
             std::tie(b.label.start, b.label.end, b.target);
    });
    moves.erase(std::unique(moves.begin(), moves.end(),
                            [](const TRENfaMove& a, const TRENfaMove& b) {
                              return a.label == b.label && a.target == b.target;
                            }),
                moves.end());
  }
}

namespace {

constexpr std::uint32_t kNoState = 0xFFFFFFFF;
constexpr std::uint32_t kManyStates = 0xFFFFFFFE;

std::uint64_t LabelKey(TRELabel label) {
  return static_cast<std::uint64_t>(label.start) | static_cast<std::uint64_t>(label.end) << 32;
}

// Notes that `other` is met where `only` (kNoState at first) tracks the one state met.
void Meet(std::uint32_t& only, std::uint32_t other) {
  only = only == kNoState || only == other ? other : kManyStates;
}

} // namespace

// From the initial state on, breadth first: the targets of a state that only its labelled moves
// enter, and that it enters with the same labels (a word's next character, or the look-alikes of
// one), become one target, which takes the moves of the others.
void TRE_NFA::MergePrefixes() {
  std::vector<std::uint32_t> onlySource(states_.size(), kNoState);
  for (std::uint32_t state = 0; state < states_.size(); ++state) {
    for (const TRENfaMove& move : states_[state]) {
      Meet(onlySource[move.target], move.label.IsEmpty() ? kManyStates : state);
    }
  }
  std::vector<std::uint8_t> queued(states_.size(), 0);
  std::vector<std::uint32_t> queue{kInitialState};
  queued[kInitialState] = 1;
  std::vector<std::uint32_t> merged(states_.size(), kNoState);
  for (std::size_t next = 0; next < queue.size(); ++next) {
    const std::uint32_t state = queue[next];
    // The labels into each target that only this state enters, in order of first appearance.
    std::vector<std::uint32_t> targets;
    std::unordered_map<std::uint32_t, std::vector<std::uint64_t>> labels;
    for (const TRENfaMove& move : states_[state]) {
      const std::uint32_t target = move.target;
      if (onlySource[target] == state && target != kInitialState && target != kFinalState &&
          target != state) {
        auto& list = labels[target];
        targets.push_back(list.empty() ? target : kNoState);
        list.push_back(LabelKey(move.label));
      }
    }
    std::map<std::vector<std::uint64_t>, std::uint32_t> bySignature;
    for (const std::uint32_t target : targets) {
      if (target == kNoState) {
        continue;
      }
      std::vector<std::uint64_t>& signature = labels[target];
      std::sort(signature.begin(), signature.end());
      const auto [it, added] = bySignature.emplace(std::move(signature), target);
      if (added) {
        continue;
      }
      const std::uint32_t into = it->second;
      for (const TRENfaMove& move : states_[target]) {
        if (onlySource[move.target] == target) {
          onlySource[move.target] = into;
        }
      }
      states_[into].insert(states_[into].end(), states_[target].begin(), states_[target].end());
      states_[target].clear();
      states_[target].shrink_to_fit();
      merged[target] = into;
    }
    std::erase_if(states_[state],
                  [&](const TRENfaMove& move) { return merged[move.target] != kNoState; });
    for (const TRENfaMove& move : states_[state]) {
      if (queued[move.target] == 0) {
        queued[move.target] = 1;
        queue.push_back(move.target);
      }
    }
  }
}

// From the final state back, breadth first: the states whose moves all go into one state, with
// the same labels, become one state, which takes the moves that enter the others.
void TRE_NFA::MergeSuffixes() {
  struct TEntry {
    std::uint32_t source;
    std::uint32_t move; // index in the source's moves
  };
  std::vector<std::vector<TEntry>> entering(states_.size());
  std::vector<std::uint32_t> onlyTarget(states_.size(), kNoState);
  for (std::uint32_t state = 0; state < states_.size(); ++state) {
    for (std::uint32_t i = 0; i < states_[state].size(); ++i) {
      const TRENfaMove& move = states_[state][i];
      entering[move.target].push_back({state, i});
      Meet(onlyTarget[state], move.label.IsEmpty() ? kManyStates : move.target);
    }
  }
  std::vector<std::uint8_t> queued(states_.size(), 0);
  std::vector<std::uint32_t> queue{kFinalState};
  queued[kFinalState] = 1;
  for (std::size_t next = 0; next < queue.size(); ++next) {
    const std::uint32_t state = queue[next];
    std::map<std::vector<std::uint64_t>, std::uint32_t> bySignature;
    std::vector<std::uint32_t> gone;
    for (const TEntry entry : entering[state]) {
      const std::uint32_t source = entry.source;
      if (onlyTarget[source] != state || entry.move != 0 || source == kInitialState ||
          source == kFinalState || source == state) {
        continue; // each source once (by its first move), and only those that qualify
      }
      std::vector<std::uint64_t> signature;
      for (const TRENfaMove& move : states_[source]) {
        signature.push_back(LabelKey(move.label));
      }
      std::sort(signature.begin(), signature.end());
      const auto [it, added] = bySignature.emplace(std::move(signature), source);
      if (added) {
        continue;
      }
      const std::uint32_t into = it->second;
      for (const TEntry before : entering[source]) {
        states_[before.source][before.move].target = into;
        entering[into].push_back(before);
        if (onlyTarget[before.source] == source) {
          onlyTarget[before.source] = into;
        }
      }
      entering[source].clear();
      states_[source].clear();
      onlyTarget[source] = kManyStates;
      gone.push_back(source);
    }
    std::sort(gone.begin(), gone.end());
    std::erase_if(entering[state], [&](const TEntry& entry) {
      return std::binary_search(gone.begin(), gone.end(), entry.source);
    });
    for (const TEntry entry : entering[state]) {
      if (queued[entry.source] == 0) {
        queued[entry.source] = 1;
        queue.push_back(entry.source);
      }
    }
  }
}

} // namespace zorbe
