#pragma once

#include <QString>
#include <QtGlobal>

namespace clarivex {

// A byte count as the window shows it: decimal units, Russian unit names ("4,32 ГБ").
QString formatSize(qint64 bytes);

} // namespace clarivex
