#pragma once
// TREStateCache keeps the deterministic states that a matcher makes while it searches: each
// state's key (the NFA states it stands for, as the matcher lays them out), a byte of flags, and
// its transitions by code class. Few classes: a row of transitions per state; many (a long word
// list has thousands): one hash table of (state, class) pairs, since a state meets only a few
// classes. Memory stays within the budget: when a new state would pass it, the cache is
// emptied first (its generation changes and every id held before is void); a few states always
// fit, however large.

#include "regex/dfa.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace zorbe {

namespace state_cache_detail {

struct TKeyHash {
  std::size_t operator()(const std::vector<std::uint32_t>& key) const {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const std::uint32_t word : key) {
      hash = (hash ^ word) * 1099511628211ULL;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 29));
  }
};

} // namespace state_cache_detail

// Deterministic states of one direction: keys, flags and transitions by code class, within a
// byte budget. Ids are valid until the cache is emptied (Generation changes).
class TREStateCache {
public:
  static constexpr std::uint32_t kUnknown = 0xFFFFFFFF;
  static constexpr std::uint32_t kDead = 0xFFFFFFFE;
  static constexpr std::size_t kAlwaysFits = 4;

  TREStateCache(std::size_t classes, const TREDfaBudget& budget)
      : classes_(classes), rows_(classes <= budget.maxRowClasses), maxBytes_(budget.maxCacheBytes) {
    if (!rows_) {
      slotKeys_.assign(1024, kEmptySlot);
      slotTargets_.assign(1024, 0);
      bytes_ = slotKeys_.size() * 12;
    }
  }

  // The state with this key, made if new; a full cache is emptied first.
  std::uint32_t Intern(const std::vector<std::uint32_t>& key, std::uint8_t flags) {
    if (full_) {
      Clear();
    }
    if (const auto found = ids_.find(key); found != ids_.end()) {
      return found->second;
    }
    // A few states always fit, however large: a scan holds up to three at once.
    const std::size_t stateBytes =
        key.size() * sizeof(std::uint32_t) + 96 + (rows_ ? classes_ * sizeof(std::uint32_t) : 0);
    if (flags_.size() >= kAlwaysFits && bytes_ + stateBytes > maxBytes_) {
      Clear();
    }
    const auto id = static_cast<std::uint32_t>(flags_.size());
    bytes_ += stateBytes;
    keys_.push_back(&ids_.emplace(key, id).first->first);
    flags_.push_back(flags);
    if (rows_) {
      transitions_.resize(transitions_.size() + classes_, kUnknown);
    }
    return id;
  }

  // The state's transition on the class: a state, kDead or kUnknown.
  std::uint32_t Next(std::uint32_t state, std::uint32_t cls) const {
    if (rows_) {
      return transitions_[state * classes_ + cls];
    }
    const std::uint64_t key = std::uint64_t{state} << 32 | cls;
    for (std::size_t slot = Slot(key);; slot = (slot + 1) & (slotKeys_.size() - 1)) {
      if (slotKeys_[slot] == key) {
        return slotTargets_[slot];
      }
      if (slotKeys_[slot] == kEmptySlot) {
        return kUnknown;
      }
    }
  }

  // Records a transition. When the table is full it is not recorded, and the next state made
  // empties the cache first.
  void SetNext(std::uint32_t state, std::uint32_t cls, std::uint32_t target) {
    if (rows_) {
      transitions_[state * classes_ + cls] = target;
      return;
    }
    if (2 * (used_ + 1) > slotKeys_.size() && !Grow()) {
      full_ = true;
      return;
    }
    const std::uint64_t key = std::uint64_t{state} << 32 | cls;
    std::size_t slot = Slot(key);
    while (slotKeys_[slot] != kEmptySlot && slotKeys_[slot] != key) {
      slot = (slot + 1) & (slotKeys_.size() - 1);
    }
    used_ += slotKeys_[slot] == kEmptySlot ? 1 : 0;
    slotKeys_[slot] = key;
    slotTargets_[slot] = target;
  }

  const std::vector<std::uint32_t>& Key(std::uint32_t state) const { return *keys_[state]; }
  const std::uint8_t* Flags() const { return flags_.data(); }
  std::size_t Generation() const { return generation_; }

private:
  static constexpr std::uint64_t kEmptySlot = ~std::uint64_t{0};

  std::size_t Slot(std::uint64_t key) const {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> 40) & (slotKeys_.size() - 1);
  }

  // Doubles the transition table unless that would pass the budget.
  bool Grow() {
    const std::size_t size = std::max<std::size_t>(slotKeys_.size() * 2, 1024);
    const std::size_t added = (size - slotKeys_.size()) * 12;
    if (flags_.size() >= kAlwaysFits && bytes_ + added > maxBytes_) {
      return false;
    }
    bytes_ += added;
    std::vector<std::uint64_t> keys(size, kEmptySlot);
    std::vector<std::uint32_t> targets(size);
    keys.swap(slotKeys_);
    targets.swap(slotTargets_);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] != kEmptySlot) {
        std::size_t slot = Slot(keys[i]);
        while (slotKeys_[slot] != kEmptySlot) {
          slot = (slot + 1) & (size - 1);
        }
        slotKeys_[slot] = keys[i];
        slotTargets_[slot] = targets[i];
      }
    }
    return true;
  }

  void Clear() {
    ids_.clear();
    keys_.clear();
    flags_.clear();
    transitions_.clear();
    std::fill(slotKeys_.begin(), slotKeys_.end(), kEmptySlot);
    bytes_ = slotKeys_.size() * 12;
    used_ = 0;
    full_ = false;
    ++generation_;
  }

  std::size_t classes_;
  bool rows_;
  std::size_t maxBytes_;
  std::size_t bytes_ = 0;
  std::size_t generation_ = 0;
  std::unordered_map<std::vector<std::uint32_t>, std::uint32_t, state_cache_detail::TKeyHash> ids_;
  std::vector<const std::vector<std::uint32_t>*> keys_; // by id; keys of ids_ (stable)
  std::vector<std::uint8_t> flags_;
  std::vector<std::uint32_t> transitions_; // rows: id * classes_ + class
  std::vector<std::uint64_t> slotKeys_;    // hash: state << 32 | class, open addressing
  std::vector<std::uint32_t> slotTargets_;
  std::size_t used_ = 0;
  bool full_ = false;
};

} // namespace zorbe
