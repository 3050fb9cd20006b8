#include "app/gui/messagebox.h"

#include <QMessageBox>

messagesink messageboxsink(QWidget* parent) {
    return messagesink([parent](const std::string& text) {
        QMessageBox box(QMessageBox::Warning, "tonvex", QString::fromStdString(text), QMessageBox::Ok,
                        parent);
        box.exec();
    });
}
