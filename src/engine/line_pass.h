#pragma once
// The line pass of a sort job: each line of a target's text (in the internal form, replaced) is
// filtered, converted, keyed and filed into the cycle's lists.
//
//   blank lines      left out with ReturnDel
//   conversions      width and case (line_conversions.h), then blanks trimmed with FBSpaceDel:
//                    the line as it is written
//   column key       the key field moved first (sort_keys.h), trimmed as well; a comment line
//                    is never keyed
//   deletion list    a line (its key) on the list is left out
//   position key     the line rotated (CharPos)
//   filing           comment lines of the sorted orders to `main`, the others to `lines`; in
//                    the order "none" every line to `main`, as it is written
//
// Lines are independent of each other, so a large text is done in two halves on two threads,
// each writing its lines to its own stretch of the list. Kept lines are put over the text as it
// is read (TSpaceWriter): the pass needs no second copy of the text.

#include "engine/job_steps.h"
#include "engine/line_conversions.h"
#include "engine/line_filters.h"
#include "engine/line_store.h"
#include "settings/setting_option_items.h"

#include <optional>

namespace zorbe {

// One cycle's lines, as offsets into the job's space. A line of `main` is written as it is; a
// sorted line is written with its keys undone (line_sink.h).
template <typename Ref> struct TCycleLines {
  TLineList<Ref> main;  // comment lines; in the order "none" every line
  TLineList<Ref> lines; // the other lines of the sorted orders
  bool records = false; // a line of `lines` is kept with its written line
};

template <typename Ref> struct TLinePassPart;

class TLinePass {
public:
  // `deletion` and `comments` may change between cycles (another codec): the pass reads them
  // where they are.
  TLinePass(const TSettingOptionItems& setting, TTextSpace& space, const TJobSteps& steps,
            const std::optional<TDeletionList>& deletion, const TCommentPrefixes& comments);

  // Files every line of the text into the cycle's lists.
  template <typename Ref> void Run(TSpaceText text, TCycleLines<Ref>& cycle) const;

private:
  bool Unordered() const { return setting_.SortDirection == 2; }
  template <typename Ref> void RunPart(TLinePassPart<Ref>& part) const;
  template <typename Ref> void FileLine(TLinePassPart<Ref>& part, TSpaceText own) const;
  template <typename Ref>
  std::uint64_t KeepKeyed(TLinePassPart<Ref>& part, std::string_view keyed,
                          std::string_view written, const char* ownedEnd) const;

  const TSettingOptionItems& setting_;
  TTextSpace& space_;
  const TJobSteps& steps_;
  const std::optional<TDeletionList>& deletion_;
  const TCommentPrefixes& comments_;
  const TLineConversions conversions_;
  const int delimiter_;
  // A keyed line is written as the line it was keyed from (CsvNotRestore off): moving the field
  // back gives it, or, where the key is not the line's fields as they stand, it is kept beside
  // the key (KeepKeyed).
  const bool restoresColumns_;
};

} // namespace zorbe
