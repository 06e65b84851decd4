#pragma once
// Regional settings the tests format with.
#include "testing/core/Format.h"

namespace kavr::test {

// Qt's Russian locale data: ',' and dd.MM.yyyy.
FormatSettings Russian();
// Qt's US English locale data: '.' and M/d/yy.
FormatSettings American();
// Russian Windows settings written out: ',', dd.MM.yyyy and HH:mm:ss, whatever Qt's data.
FormatSettings RussianSettings();

} // namespace kavr::test
