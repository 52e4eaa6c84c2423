#pragma once

#include "worker/metadata/jpegsegment.h"

#include <string>

// Resource 1028 as an APP13 "Photoshop 3.0" segment: the IPTC records in resource 1028 and
// their MD5 digest in resource 1061, so that readers that compare the two see no change made
// behind their back.
SegmentsOrReason IptcSegment(const std::string &records);
