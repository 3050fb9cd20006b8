#include "app/gui/CAboutDlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "app/gui/uifont.h"

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    const QFont font = uifont(8);
    setFont(font);
    setWindowTitle("about tonvex");
    setFixedSize(dialogunits(font, 0, 0, 191, 54).size());

    const QRect iconplace = dialogunits(font, 7, 17, 20, 20);
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(iconplace.size()));
    icon->setGeometry(iconplace);

    const auto line = [this, &font](const char* text, int x, int y, int width) {
        auto* label = new QLabel(text, this);
        label->setGeometry(dialogunits(font, x, y, width, 8));
    };
    line("TONVEX version 1.2", 63, 10, 66);
    line("Embedded audio codec", 51, 23, 90);
    line("ztb decoder and scaler", 51, 38, 89);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("1");
    ok->setDefault(true);
    ok->setGeometry(dialogunits(font, 161, 20, 23, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
