// A store with contacts and a grid hosted in a plain window that records
// the messages the grid sends and posts.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "mainwnd/rgridctrl.h"
#include "platform/ui/wndmessage.h"
#include "support/pictures.h"
#include "support/testenv.h"

#include <QCoreApplication>
#include <QWidget>
#include <memory>

struct HostMessage {
    u32 message = 0;
    quintptr wParam = 0;
    int code = 0;  // of a WM_NOTIFY
    QString text;
};

class GridHost : public QWidget {
public:
    std::vector<HostMessage> messages;

    int Count(u32 message, int code = 0) const
    {
        return int(std::count_if(messages.begin(), messages.end(),
            [&](const HostMessage& m) { return m.message == message && m.code == code; }));
    }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != WindowMessageEvent::EventType())
            return QWidget::event(e);
        auto* m = static_cast<WindowMessageEvent*>(e);
        HostMessage shown{m->Message(), m->WParam(), 0, m->Text()};
        if (m->Message() == WM_NOTIFY)
            shown.code = reinterpret_cast<const NMHDR*>(m->LParam())->code;
        messages.push_back(shown);
        return true;
    }
};

class GridTest : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_user.Init(0);
        SetAppUserMan(&m_user);
        m_file = std::make_unique<CDataFile>();
        m_dm = std::make_unique<DataMan>(*m_file, &m_user);
        ASSERT_EQ(m_file->Open(), 0u);
        ASSERT_EQ(m_dm->Init(), 0u);
        m_dm->SetAlphabetFilter(kFilterAll);
        m_host = std::make_unique<GridHost>();
        m_host->resize(640, 400);
        m_grid = new CRGridCtrl(*m_dm, m_user, m_host.get());
        m_grid->setGeometry(m_host->rect());
    }
    void TearDown() override
    {
        m_host.reset();
        m_dm.reset();
        m_file.reset();
        SetAppUserMan(nullptr);
        TolvaTest::TearDown();
    }

    Contact* Add(const std::string& name, const std::string& last = {}, Book* book = nullptr)
    {
        auto c = std::make_unique<Contact>();
        c->m_strName = name;
        c->m_strLastName = last.empty() ? name : last;
        int index = -1;
        if (m_dm->AddContact(std::move(c), book ? book : m_dm->GetRootBook(), &index))
            return nullptr;
        return m_dm->GetContactAt(index);
    }
    // The rows' texts of a column, top to bottom.
    std::vector<std::string> Column(int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < m_grid->GetRowCount(); ++row)
            texts.push_back(m_grid->GetCellText(row, column).toStdString());
        return texts;
    }
    std::vector<int> Selected() const
    {
        std::vector<int> rows;
        for (int row = m_grid->GetNextSelectedRow(-1); row >= 0; row = m_grid->GetNextSelectedRow(row))
            rows.push_back(row);
        return rows;
    }
    void Show()
    {
        m_host->show();
        QCoreApplication::processEvents();
    }

    UserMan m_user;
    std::unique_ptr<CDataFile> m_file;
    std::unique_ptr<DataMan> m_dm;
    std::unique_ptr<GridHost> m_host;
    CRGridCtrl* m_grid = nullptr;
};
