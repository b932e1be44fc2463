#include "data/core/Clock.h"

namespace Clock {

std::function<QDateTime()> &source()
{
    static std::function<QDateTime()> fn = [] { return QDateTime::currentDateTime(); };
    return fn;
}

void set(const QDateTime &fixed)
{
    source() = [fixed] { return fixed; };
}

void reset()
{
    source() = [] { return QDateTime::currentDateTime(); };
}

} // namespace Clock
