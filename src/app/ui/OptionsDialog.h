// The Options dialog (tab size, form feed line, Tab as blanks), the Font dialog and the visible codes.
#pragma once

class QFont;
class QWidget;

namespace quill {

class Document;
struct Settings;

/// Shows the Options dialog; on OK stores its values (the tab size through the document, so the
/// cursor stays on its byte). True when confirmed.
bool RunOptionsDialog(QWidget* parent, Settings& settings, Document& doc);
/// Shows the font dialog for fixed-pitch faces; on OK stores Font, FontSize and FontWeight.
bool RunFontDialog(QWidget* parent, Settings& settings);
/// "Visible Character Codes": a check box for each code 1 to 255; on OK stores Visible.
bool RunVisibleCodesDialog(QWidget* parent, Settings& settings, const QFont& screenFont);

}  // namespace quill
