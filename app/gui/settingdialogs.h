#pragma once
// The five one-field setting dialogs. Each opens with an empty field (text) or 0 (number),
// not with the current setting; Enter accepts, Escape and the close box cancel. A number
// field refuses text that is not a finite number and keeps the dialog open.
#include <QDialog>
#include <QString>

#include "base/message.h"

class QLineEdit;

// Where the controls of one dialog sit, in dialog units (x, y, width, height).
struct settingdialoglayout {
    const char* caption;
    int width, height;
    int fieldx, fieldy, fieldwidth, fieldheight;
    const char* statictext; // nullptr: no static text
    int textx, texty, textwidth, textheight;
};

class settingdialog : public QDialog {
    Q_OBJECT
  public:
    enum class fieldtype { text, number };
    // messages: where a number field says that it refused the text.
    settingdialog(const settingdialoglayout& layout, fieldtype type, QWidget* parent,
                  messagesink messages = {});

    // The field as the dialog accepted it.
    QString text() const;
    double number() const { return acceptednumber; }

    void accept() override;

  private:
    QLineEdit* field;
    fieldtype type;
    double acceptednumber = 0.0;
    messagesink messages;
};

// The field's text as a finite double ("12", " -1e-4 ", "+3"), or false: the whole text
// must be the number; inf, nan and out-of-range magnitudes are refused.
bool parsefinitenumber(const QString& text, double& value);

class COutputFileDlg : public settingdialog {
    Q_OBJECT
  public:
    explicit COutputFileDlg(QWidget* parent = nullptr);
};

class CBitstreamFileDlg : public settingdialog {
    Q_OBJECT
  public:
    explicit CBitstreamFileDlg(QWidget* parent = nullptr);
};

class CDirectoryDlg : public settingdialog {
    Q_OBJECT
  public:
    explicit CDirectoryDlg(QWidget* parent = nullptr);
};

class CBitrateDlg : public settingdialog {
    Q_OBJECT
  public:
    explicit CBitrateDlg(messagesink messages, QWidget* parent = nullptr);
};

class CBerDlg : public settingdialog {
    Q_OBJECT
  public:
    explicit CBerDlg(messagesink messages, QWidget* parent = nullptr);
};
