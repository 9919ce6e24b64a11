#pragma once

namespace toolkit {
class ByteLimitedLineEdit;
}

// The Subject's paste rule, for the paste command, Shift+Insert and the context menu
// alike: the clipboard text is taken only when what would really go in (emoji become
// two-byte pictographs) and the current subject add up to between 1 and 30 bytes.
// The selection it would replace is not subtracted. Otherwise the system beep sounds.
namespace subject_paste {

inline constexpr int kSubjectLimit = 30;

void paste(toolkit::ByteLimitedLineEdit* subject);

}  // namespace subject_paste
