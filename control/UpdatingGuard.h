#pragma once

#include <memory>

namespace tabulon {

/// Raises the control's internal-update flag for the control's own writes to the attribute
/// table, so that the field-change handler leaves them alone, and lowers it however the scope
/// ends: by return, by exception, or after host code that lowered it in between (a load does).
/// When the owner of the flag is deleted meanwhile (`life` expired), the flag is left alone.
class UpdatingGuard
{
public:
    UpdatingGuard(bool &flag, std::weak_ptr<const int> life) : m_flag(flag), m_life(std::move(life))
    {
        m_flag = true;
    }
    ~UpdatingGuard()
    {
        if (!m_life.expired()) m_flag = false;
    }
    UpdatingGuard(const UpdatingGuard &) = delete;
    UpdatingGuard &operator=(const UpdatingGuard &) = delete;

    /// Raises the flag again, after calls that may have lowered it.
    void raise()
    {
        if (!m_life.expired()) m_flag = true;
    }

private:
    bool &m_flag;
    std::weak_ptr<const int> m_life;
};

} // namespace tabulon
