// Counts every operator new of a test program that links allocationcount.cpp
// (the libraries it loads included), for tests that a path allocates nothing.
#pragma once

long AllocationCount();
