#pragma once
// What the window keeps between runs in the user's settings store: the file names and the
// directory, the settings of the Decode menu, and the recently opened bitstreams.
#include <QStringList>

class CTonvexDoc;

// Replaces the document's settings by the stored ones; values out of range stay as they were.
void loadsettings(CTonvexDoc& doc);
void savesettings(const CTonvexDoc& doc);
// Forgets the stored settings and gives the document its initial ones again.
void resetsettings(CTonvexDoc& doc);

// Most recent first, at most four.
QStringList recentfiles();
void addrecentfile(const QString& path);
void removerecentfile(const QString& path);
