#include "tools/vey-sim/sim_clock.h"

#include <cmath>

namespace amiscan::sim {

SimClock::SimClock(qint64 epochSeconds, double timeScale)
    : m_epochSeconds(epochSeconds), m_timeScale(timeScale)
{
    m_elapsed.start();
}

qint64 SimClock::nowSeconds() const
{
    const double elapsedSeconds = double(m_elapsed.elapsed()) / 1000.0 * m_timeScale;
    return m_epochSeconds + qint64(std::floor(elapsedSeconds));
}

} // namespace amiscan::sim
