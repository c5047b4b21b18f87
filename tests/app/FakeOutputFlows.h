#pragma once
// Stands in for the output flows: records which flow ran for which row and answers a set path.

#include "app/OutputFlows.h"

#include <QStringList>

#include <functional>

namespace testing_support {

struct FakeOutputFlows : OutputFlows
{
    QStringList calls;            // "ap68 <id>", "ap42 <id>", "editor <id>"
    QString answer;               // what every flow returns
    std::function<void()> during; // runs inside a flow, as window messages would

    QString CreateAp68Pdf(const clinical::PatientRow& row) override
    {
        return run(QStringLiteral("ap68 "), row);
    }
    QString CreateAp42Ss3Pdf(const clinical::PatientRow& row) override
    {
        return run(QStringLiteral("ap42 "), row);
    }
    QString OpenCertificateEditor(const clinical::PatientRow& row) override
    {
        return run(QStringLiteral("editor "), row);
    }

private:
    QString run(const QString& flow, const clinical::PatientRow& row)
    {
        calls << flow + row.id;
        if (during)
            during();
        return answer;
    }
};

} // namespace testing_support
