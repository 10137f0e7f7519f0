// The "Print Setup" dialog of the Page Setup command.
#pragma once

class QWidget;

namespace quill {

struct Settings;

/// Edits header, footer, left margin and form-feed breaks; OK writes all four back, Cancel none.
bool RunPageSetupDialog(QWidget* parent, Settings& settings);

}  // namespace quill
