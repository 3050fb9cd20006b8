// The setting dialogs and the about box as the user sees them.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "app/gui/CAboutDlg.h"
#include "app/gui/settingdialogs.h"
#include "guitest.h"

namespace {
QStringList statictexts(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
    return texts;
}
} // namespace

TEST(SettingDialogs, CaptionsStaticTextsAndInitialField) {
    struct expected {
        std::unique_ptr<settingdialog> dialog;
        QString caption;
        QStringList texts;
        QString field;
    };
    expected dialogs[] = {
        {std::make_unique<COutputFileDlg>(), "Output file", {".wav"}, ""},
        {std::make_unique<CBitstreamFileDlg>(), "Bitstream file", {".ztb"}, ""},
        {std::make_unique<CDirectoryDlg>(),
         "file Directory",
         {"Relative to application, or full path :"},
         ""},
        {std::make_unique<CBitrateDlg>(), "output Bitrate", {"kbit/s"}, "0"},
        {std::make_unique<CBerDlg>(), "bit error rate", {}, "0"},
    };
    for (const expected& e : dialogs) {
        EXPECT_EQ(e.dialog->windowTitle(), e.caption);
        EXPECT_EQ(statictexts(*e.dialog), e.texts) << e.caption.toStdString();
        const auto* field = e.dialog->findChild<QLineEdit*>("1000");
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), e.field);
        EXPECT_TRUE(e.dialog->findChildren<QPushButton*>().isEmpty()) << "no buttons";
        EXPECT_TRUE(e.dialog->rect().contains(field->geometry()));
    }
}

TEST(SettingDialogs, EnterAcceptsTheTypedText) {
    CBitstreamFileDlg dialog;
    whendialogopens([](QDialog& open) { typeandenter(open, "harp"); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.text(), "harp");
}

TEST(SettingDialogs, NumberParsingTakesOnlyWholeFiniteNumbers) {
    double value = -7.0;
    EXPECT_TRUE(parsefinitenumber(" 64.4 ", value));
    EXPECT_EQ(value, 64.4);
    EXPECT_TRUE(parsefinitenumber("+3", value));
    EXPECT_EQ(value, 3.0);
    EXPECT_TRUE(parsefinitenumber("-1e-4", value));
    EXPECT_EQ(value, -1e-4);
    value = 5.0;
    for (const char* text :
         {"inf", "-inf", "nan", "infinity", "", " ", "1e400", "+-3", "++3", "1,5", "3 4"}) {
        EXPECT_FALSE(parsefinitenumber(text, value)) << text;
        EXPECT_EQ(value, 5.0) << text;
    }
}

TEST(AboutBox, CaptionVersionAndDefaultOk) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "about tonvex");
    const QStringList texts = statictexts(about);
    EXPECT_TRUE(texts.contains("TONVEX version 1.2"));
    EXPECT_EQ(texts.size(), 3);
    const auto buttons = about.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), "OK");
    EXPECT_TRUE(buttons[0]->isDefault());
    whendialogopens([](QDialog& open) { QTest::keyClick(&open, Qt::Key_Return); });
    EXPECT_EQ(about.exec(), QDialog::Accepted);
}
