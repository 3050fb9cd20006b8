#pragma once
// The one place that turns a setting name into a document member: the command line's
// --set NAME=VALUE, the tests and any other front end go through it. Names are the
// member names; each setting has the range of values the decoders are built for.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class streamjob;

struct settinginfo {
    std::string name;
    double minimum = 0.0;
    double maximum = 0.0;
    bool integer = false; // integer members take only whole numbers
};

enum class setresult { ok, unknownname, notanumber, notfinite, outofrange, notinteger, needstext };

// Every numeric setting, in the document's declaration order.
const std::vector<settinginfo>& settinglist();
// The settings that hold text (patternpath): set with setsettingtext, read with
// gettextsetting; setsetting refuses them with needstext.
const std::vector<std::string>& textsettinglist();
std::optional<std::string> gettextsetting(const streamjob& doc, std::string_view name);
// The setting of that name, if there is one.
std::optional<settinginfo> findsetting(std::string_view name);

std::optional<double> getsetting(const streamjob& doc, std::string_view name);
// Stores value when the name is known and the value finite, whole where the member is an
// integer, and within the range; otherwise leaves the document unchanged.
setresult setsetting(streamjob& doc, std::string_view name, double value);
// The same from text ("0.001", "2"); the whole text must be the number. A text setting
// takes the text as it stands.
setresult setsettingtext(streamjob& doc, std::string_view name, std::string_view text);
// A sentence for a refused setting, naming the valid names or the range.
std::string settingerror(setresult result, std::string_view name);
