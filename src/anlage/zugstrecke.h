// The route table of the route page as the virtual train runs on it.
#pragma once

#include "strecke.h"
#include "virtuellerzug.h"

#include <vector>

// Rows 1..15 of the table (index 0 = row 1): the block of column 4, the
// auxiliary block of column 1 (written 200 + h), the detectors of columns
// 2, 3, 5 and 6. A cell that is empty, no whole number or out of range names
// nothing.
std::vector<ZugZeile> zugZeilen(const fahrt::StreckenTabellen& tabellen);
