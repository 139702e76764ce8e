#pragma once

#include "control/ctlAttributes.h"
#include "control/ctlAttributes_p.h"
#include "platform/DataGrid.h"
#include "platform/RecordSet.h"
#include "tests/support/FakeAttributes.h"
#include "tests/support/Printers.h"
#include "tests/support/RecordingServices.h"
#include "tests/support/ScopedLocale.h"

#include <gtest/gtest.h>

namespace tabulon::test {

// A control with a recording fake of every service, and a fake source for it to load.
struct ControlFixture : ::testing::Test
{
    RecordingServices services;
    ctlAttributes control{nullptr, services};
    ctlAttributesPrivate *d = ctlAttributesPrivate::get(&control);
    platform::DataGrid *grid = d->grdEdit;
    std::shared_ptr<FakeCollection> source = std::make_shared<FakeCollection>();

    platform::RecordSet &load()
    {
        control.setDataSource(source);
        return *d->m_rs;
    }
    // One field of every row of the attribute table, as text.
    QStringList column(const QString &field) const
    {
        QStringList out;
        for (int r = 0; r < d->m_rs->recordCount(); ++r)
            out << d->m_rs->valueAt(r, d->m_rs->fieldIndex(field)).toText();
        return out;
    }
};

} // namespace tabulon::test
