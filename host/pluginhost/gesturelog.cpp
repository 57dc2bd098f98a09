#include "gesturelog.h"

#include "parametertext.h"

void GestureLog::begin(std::uint32_t id)
{
    out << "begin " << ParameterIdText(id) << std::endl;
}

void GestureLog::value(std::uint32_t id, double plain)
{
    out << "value " << ParameterIdText(id) << ' ' << ShortestText(plain) << std::endl;
}

void GestureLog::end(std::uint32_t id)
{
    out << "end " << ParameterIdText(id) << std::endl;
}
