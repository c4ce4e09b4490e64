#pragma once

#include <QString>

namespace vz {

struct BoxProgram;

namespace preview {

// The clipboard line of one program: "ZDSeqStart p n channel fire [wait] ZDSeqEnd", items
// separated by one space. wait is written on the sequence pages (4..8) only.
QString clipboardLine(int page, int number, int channel, int fire, int wait);

// The line of a program page's row (page 0..8, tag N or V) as the program holds it; empty
// for a page or tag that names no row.
QString clipboardLine(const BoxProgram& program, int page, int number);

} // namespace preview
} // namespace vz
