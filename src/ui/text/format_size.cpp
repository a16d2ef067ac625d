#include "ui/text/format_size.h"

#include "core/vocabulary/byte_count.h"

namespace clarivex {

QString formatSize(qint64 bytes) {
    return QString::fromStdString(formatByteCount(bytes));
}

} // namespace clarivex
