#include "app/gui/settingdialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <charconv>
#include <cmath>

#include "app/gui/uifont.h"

namespace {
constexpr int fieldid = 1000;
constexpr int dialogpoints = 8;

const settingdialoglayout outputfilelayout{"Output file", 153, 45, 7, 15, 112, 13, ".wav", 123, 16, 23, 10};
const settingdialoglayout bitstreamfilelayout{"Bitstream file", 136, 45, 7,  15, 104, 13,
                                              ".ztb",           113, 17, 17, 10};
const settingdialoglayout directorylayout{
    "file Directory", 153, 52, 7, 30, 139, 13, "Relative to application, or full path :", 17, 13, 117, 10};
const settingdialoglayout bitratelayout{"output Bitrate", 99, 44, 13, 16, 51, 12, "kbit/s", 67, 18, 19, 8};
const settingdialoglayout berlayout{"bit error rate", 137, 45, 13, 16, 73, 12, nullptr, 0, 0, 0, 0};
} // namespace

settingdialog::settingdialog(const settingdialoglayout& layout, fieldtype type, QWidget* parent,
                             messagesink messages)
    : QDialog(parent), field(new QLineEdit(this)), type(type), messages(std::move(messages)) {
    const QFont font = uifont(dialogpoints);
    setFont(font);
    setWindowTitle(layout.caption);
    setFixedSize(dialogunits(font, 0, 0, layout.width, layout.height).size());
    field->setObjectName(QString::number(fieldid));
    field->setGeometry(
        dialogunits(font, layout.fieldx, layout.fieldy, layout.fieldwidth, layout.fieldheight));
    if (layout.statictext) {
        auto* label = new QLabel(layout.statictext, this);
        label->setGeometry(
            dialogunits(font, layout.textx, layout.texty, layout.textwidth, layout.textheight));
    }
    if (type == fieldtype::number) {
        field->setText("0");
        field->selectAll();
    }
    // The dialogs have no buttons: Enter in the field is the accepting key.
    connect(field, &QLineEdit::returnPressed, this, &settingdialog::accept);
    field->setFocus();
}

QString settingdialog::text() const {
    return field->text();
}

void settingdialog::accept() {
    if (type == fieldtype::number && !parsefinitenumber(field->text(), acceptednumber)) {
        messages("Please enter a number.");
        field->setFocus();
        field->selectAll();
        return;
    }
    QDialog::accept();
}

bool parsefinitenumber(const QString& text, double& value) {
    std::string digits = text.trimmed().toStdString();
    // from_chars takes no plus sign; a typed "+3" is still a number, "+-3" is not.
    const bool plus = !digits.empty() && digits.front() == '+';
    if (plus) digits.erase(0, 1);
    if (plus && !digits.empty() && digits.front() == '-') return false;
    double parsed = 0.0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, parsed);
    if (error != std::errc() || stop != end || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

COutputFileDlg::COutputFileDlg(QWidget* parent) : settingdialog(outputfilelayout, fieldtype::text, parent) {}
CBitstreamFileDlg::CBitstreamFileDlg(QWidget* parent)
    : settingdialog(bitstreamfilelayout, fieldtype::text, parent) {}
CDirectoryDlg::CDirectoryDlg(QWidget* parent) : settingdialog(directorylayout, fieldtype::text, parent) {}
CBitrateDlg::CBitrateDlg(messagesink messages, QWidget* parent)
    : settingdialog(bitratelayout, fieldtype::number, parent, std::move(messages)) {}
CBerDlg::CBerDlg(messagesink messages, QWidget* parent)
    : settingdialog(berlayout, fieldtype::number, parent, std::move(messages)) {}
