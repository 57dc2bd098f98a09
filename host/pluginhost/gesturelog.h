// The gestures a host receives from a plug-in's editor, one line each as
// they come: "begin fbak", "value fbak 6.2", "end fbak"; the parameter by
// its four-character ID, the value plain, in the fewest digits that read
// back as the same double.
#pragma once

#include <cstdint>
#include <ostream>

class GestureLog {
public:
    explicit GestureLog(std::ostream& out) : out(out) {}

    void begin(std::uint32_t id);
    void value(std::uint32_t id, double plain);
    void end(std::uint32_t id);

private:
    std::ostream& out;
};
