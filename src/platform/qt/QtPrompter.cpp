// Message boxes.
#include "platform/qt/QtPrompter.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include "platform/qt/Cp1252.h"
#include "platform/qt/DialogWindow.h"

namespace quill {

namespace {

/// Room for the window manager's buttons and margins beside a message box's title, in pixels.
constexpr int kTitleBarAllowance = 220;

}  // namespace

Answer QtPrompter::Show(Severity severity, const std::string& text, Buttons buttons, Answer preferred)
{
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    switch (buttons) {
    case Buttons::Ok: standard = QMessageBox::Ok; break;
    case Buttons::YesNo: standard = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::OkCancel: standard = QMessageBox::Ok | QMessageBox::Cancel; break;
    case Buttons::YesNoCancel: standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    }
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (severity) {
    case Severity::Information: icon = QMessageBox::Information; break;
    case Severity::Warning: icon = QMessageBox::Warning; break;
    case Severity::Question: icon = QMessageBox::Question; break;
    case Severity::Error: icon = QMessageBox::Critical; break;
    }
    QMessageBox box(icon, QStringLiteral("Quillarium"), FromMessageBytes(text), standard, parent_);
    box.setWindowFlags(DialogWindowFlags());
    switch (preferred) {
    case Answer::Ok: box.setDefaultButton(QMessageBox::Ok); break;
    case Answer::Cancel: box.setDefaultButton(QMessageBox::Cancel); break;
    case Answer::Yes: box.setDefaultButton(QMessageBox::Yes); break;
    case Answer::No: box.setDefaultButton(QMessageBox::No); break;
    }
    // A short message makes a narrow box, whose title bar the window manager cuts to "Qu...um":
    // the box is made wide enough for the title and the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarAllowance;
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Cancel;
    }
}

void QtPrompter::Beep() { QApplication::beep(); }

}  // namespace quill
