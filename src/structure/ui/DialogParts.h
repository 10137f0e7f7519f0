// Pieces the description dialogs share: list filling, buttons, OK/Cancel, the mask group.
#pragma once

#include <string>
#include <vector>

class QCheckBox;
class QDialog;
class QDialogButtonBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QString;
class QWidget;

namespace quill {

class MaskListModel;

/// A check box with its state and tooltip.
QCheckBox* Check(const QString& text, bool checked, const char* tip, QWidget* parent);
/// A line edit holding a code page 1252 text, with its tooltip.
QLineEdit* TextEdit(const std::string& text, const char* tooltip, QWidget* parent);
void FillList(QListWidget* list, const std::vector<std::string>& lines, int selected);
QPushButton* AddButton(const QString& text, QWidget* parent, QLayout* layout);
QDialogButtonBox* OkCancel(QDialog& dialog);
/// The "Associate" group over a mask list; tooltip for list and field.
QGroupBox* MaskGroup(MaskListModel& model, const char* tooltip, QWidget* parent);

}  // namespace quill
