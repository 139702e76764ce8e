#pragma once

namespace tabulon {

/// Raises the control's internal-update flag for the control's own writes to the attribute
/// table, so that the field-change handler leaves them alone, and lowers it however the scope
/// ends: by return, by exception, or after host code that lowered it in between (a load does).
class UpdatingGuard
{
public:
    explicit UpdatingGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~UpdatingGuard() { m_flag = false; }
    UpdatingGuard(const UpdatingGuard &) = delete;
    UpdatingGuard &operator=(const UpdatingGuard &) = delete;

    /// Raises the flag again, after calls that may have lowered it.
    void raise() { m_flag = true; }

private:
    bool &m_flag;
};

} // namespace tabulon
