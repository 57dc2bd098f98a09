// The plug-in framework: the factory registry and its exports, the plug-in,
// algorithm and controller interfaces with their bases, the wrapper-side
// interfaces and the description key vocabulary.
#pragma once

#include "coeffblock.h"
#include "huxalgorithm.h"
#include "huxalgorithmcontroller.h"
#include "huxhost.h"
#include "huxkeys.h"
#include "huxlibrary.h"
#include "huxplugin.h"
#include "huxsetup.h"
#include "iivx9controller.h"
#include "onepolerate.h"
#include "reductionmeterfilter.h"
