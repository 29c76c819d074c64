#pragma once

#include <QtGlobal>
#include <functional>

// How a long job (an export, a batch of print jobs) tells how far it has got:
// called with the work done and the work in all, it returns false when the job
// is to stop at the next point where stopping is safe.
using ProgressCallback = std::function<bool(qint64 done, qint64 total)>;
