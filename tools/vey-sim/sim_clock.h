#pragma once

#include <QElapsedTimer>

namespace amiscan::sim {

// The simulated time the friends' presence follows: it starts at a chosen moment and runs at a
// chosen multiple of real time, so tests and demos need not wait for minutes to pass.
class SimClock final
{
public:
    SimClock(qint64 epochSeconds, double timeScale);

    // Simulated seconds since 1970.
    qint64 nowSeconds() const;

private:
    qint64 m_epochSeconds;
    double m_timeScale;
    QElapsedTimer m_elapsed;
};

} // namespace amiscan::sim
