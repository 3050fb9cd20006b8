#include "app/gui/storedsettings.h"

#include <QSettings>

#include "app/CTonvexDoc.h"
#include "engine/settings.h"

namespace {
// The settings the menu changes; the codec configuration is compiled in.
const char* const numbers[] = {"ber", "scaledbitrate", "outputbitratemode"};

struct textsetting {
    const char* key;
    std::string CTonvexDoc::*field;
};
const textsetting texts[] = {{"directory", &CTonvexDoc::directory},
                             {"bitstreamname", &CTonvexDoc::bitstreamname},
                             {"wavname", &CTonvexDoc::wavname},
                             {"scaledname", &CTonvexDoc::scaledname}};

constexpr int recentcount = 4;
const char* const recentkey = "recentfiles";
} // namespace

void loadsettings(CTonvexDoc& doc) {
    const QSettings store;
    for (const char* name : numbers) {
        bool ok = false;
        const double value = store.value(name).toDouble(&ok);
        if (ok) setsetting(doc, name, value);
    }
    for (const textsetting& text : texts)
        if (store.contains(text.key)) doc.*text.field = store.value(text.key).toString().toStdString();
    doc.updatepaths();
}

void savesettings(const CTonvexDoc& doc) {
    QSettings store;
    for (const char* name : numbers) store.setValue(name, *getsetting(doc, name));
    for (const textsetting& text : texts) store.setValue(text.key, QString::fromStdString(doc.*text.field));
}

void resetsettings(CTonvexDoc& doc) {
    QSettings store;
    for (const char* name : numbers) store.remove(name);
    for (const textsetting& text : texts) store.remove(text.key);
    const CTonvexDoc initial;
    for (const char* name : numbers) setsetting(doc, name, *getsetting(initial, name));
    for (const textsetting& text : texts) doc.*text.field = initial.*text.field;
    doc.updatepaths();
}

QStringList recentfiles() {
    return QSettings().value(recentkey).toStringList().mid(0, recentcount);
}

void addrecentfile(const QString& path) {
    QStringList files = recentfiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings().setValue(recentkey, files.mid(0, recentcount));
}

void removerecentfile(const QString& path) {
    QStringList files = recentfiles();
    files.removeAll(path);
    QSettings().setValue(recentkey, files);
}
