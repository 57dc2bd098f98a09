#include "vx9.h"

Missive VX9::describePlugin()
{
    return Missive();
}

void VX9::bindParameters() {}
