// The dialog "Assign File Extensions 2 Quillarium".
#pragma once

class QWidget;

namespace quill {

class Prompter;

/// Nine check boxes, all checked; OK makes the program the default for the checked groups.
void RunFileAssignmentsDialog(QWidget* parent, Prompter& prompter);

}  // namespace quill
