// One content line of a vCard: [group.]NAME;PARAM=value,value;...:VALUE.
//
// Names of properties and parameters are upper-cased; parameter values keep
// their case but lose their double quotes. vCard 2.1 writes bare parameters
// ("TEL;WORK;FAX:", "N;QUOTED-PRINTABLE:"): an encoding name among them is
// taken as ENCODING, anything else as a TYPE value.
#pragma once

#include <string>
#include <vector>

namespace varo {
namespace interchange {

struct Parameter {
    std::string name;
    std::vector<std::string> values;
};

struct ContentLine {
    std::string group;
    std::string name;
    std::vector<Parameter> parameters;
    std::string value;

    // The first value of a parameter, or empty.
    std::string Param(const char* name) const;
    // True when TYPE (in any of its forms) holds the value, any case.
    bool HasType(const char* type) const;
};

// False when the line has no ":" or no property name.
bool ParseContentLine(const std::string& text, ContentLine* line);

std::string UpperAscii(const std::string& text);

}  // namespace interchange
}  // namespace varo
