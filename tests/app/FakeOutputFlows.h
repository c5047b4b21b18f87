#pragma once
// Stands in for the output flows: records which flow ran for which row and answers a set path.

#include "app/OutputFlows.h"

#include <QStringList>

#include <functional>

namespace testing_support {

struct FakeOutputFlows : app::OutputFlows
{
    QStringList calls;            // "ap68 <id>", "ap42 <id>", "editor <id>"
    QString answer;               // the path every flow returns
    QString kept;                 // the kept file every flow returns
    QString warning;              // the warning every flow returns
    QString printable;            // the lines on the completed form every flow returns
    bool cancelled = false;       // every flow returns as given up
    std::function<void()> during; // runs inside a flow, as window messages would

    app::FlowOutput CreateAp68Pdf(const clinical::PatientRow& row) override
    {
        return run(QStringLiteral("ap68 "), row);
    }
    app::FlowOutput CreateAp42Ss3Pdf(const clinical::PatientRow& row) override
    {
        return run(QStringLiteral("ap42 "), row);
    }
    app::FlowOutput OpenCertificateEditor(const clinical::PatientRow& row) override
    {
        return run(QStringLiteral("editor "), row);
    }

private:
    app::FlowOutput run(const QString& flow, const clinical::PatientRow& row)
    {
        calls << flow + row.id;
        if (during)
            during();
        return {answer, kept, warning, printable, cancelled};
    }
};

} // namespace testing_support
