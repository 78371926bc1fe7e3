#include "mainwnd/toolbarcustomize.h"

#include "mainwnd/commands.h"
#include "mainwnd/maintoolbar.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kIndexRole = Qt::UserRole + 1;

QString ButtonText(int index)
{
    if (index == CMainToolbar::kSeparator)
        return QObject::tr("Separator");
    const ToolbarButtonInfo& info = CMainToolbar::Buttons()[size_t(index)];
    return QString::fromUtf8(info.label);
}

}  // namespace

CToolbarCustomizeDialog::CToolbarCustomizeDialog(CMainToolbar& toolbar, QWidget* parent)
    : QDialog(parent)
    , m_toolbar(toolbar)
    , m_available(new QListWidget(this))
    , m_current(new QListWidget)
    , m_add(new QPushButton(tr("&Add ->"), this))
    , m_remove(new QPushButton(tr("<- &Remove"), this))
    , m_up(new QPushButton(tr("Move &Up")))
    , m_down(new QPushButton(tr("Move &Down")))
{
    setWindowTitle(QStringLiteral("Customize Toolbar"));
    setObjectName(QStringLiteral("CustomizeToolbar"));
    auto* grid = new QGridLayout(this);
    auto* availableLabel = new QLabel(tr("A&vailable buttons:"), this);
    availableLabel->setBuddy(m_available);
    auto* currentLabel = new QLabel(tr("&Toolbar buttons:"), this);
    currentLabel->setBuddy(m_current);
    grid->addWidget(availableLabel, 0, 0);
    grid->addWidget(currentLabel, 0, 2);
    grid->addWidget(m_available, 1, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch(1);
    middle->addWidget(m_add);
    middle->addWidget(m_remove);
    middle->addStretch(1);
    grid->addLayout(middle, 1, 1);
    // Tab reads the columns from the left: the controls join the dialog in
    // that order, the toolbar's list after the buttons beside it.
    grid->addWidget(m_current, 1, 2);
    auto* side = new QVBoxLayout;
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Close | QDialogButtonBox::Reset | QDialogButtonBox::Help, Qt::Vertical, this);
    side->addWidget(buttons);
    m_up->setParent(this);
    m_down->setParent(this);
    side->addWidget(m_up);
    side->addWidget(m_down);
    side->addStretch(1);
    grid->addLayout(side, 1, 3);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, this, [this] {
        if (resetRequested)
            resetRequested();
        Fill();
    });
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (helpRequested)
            helpRequested();
    });
    connect(m_add, &QPushButton::clicked, this, &CToolbarCustomizeDialog::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &CToolbarCustomizeDialog::OnRemove);
    connect(m_up, &QPushButton::clicked, this, [this] { OnMove(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { OnMove(1); });
    connect(m_available, &QListWidget::currentRowChanged, this, &CToolbarCustomizeDialog::UpdateButtons);
    connect(m_current, &QListWidget::currentRowChanged, this, &CToolbarCustomizeDialog::UpdateButtons);
    connect(m_available, &QListWidget::itemDoubleClicked, this, &CToolbarCustomizeDialog::OnAdd);
    connect(m_current, &QListWidget::itemDoubleClicked, this, &CToolbarCustomizeDialog::OnRemove);
    Fill();
}

bool CToolbarCustomizeDialog::CanRemove(int buttonIndex)
{
    if (buttonIndex < 0 || buttonIndex == CMainToolbar::kSeparator)
        return true;
    const u32 command = CMainToolbar::Buttons()[size_t(buttonIndex)].command;
    return command != ID_CONTACT_SENDMAIL && command != ID_CONTACT_DIAL;
}

void CToolbarCustomizeDialog::Fill()
{
    const std::vector<int>& layout = m_toolbar.Layout();
    m_available->clear();
    m_current->clear();
    const auto add = [](QListWidget* list, int index) {
        auto* item = new QListWidgetItem(ButtonText(index), list);
        item->setData(kIndexRole, index);
    };
    add(m_available, CMainToolbar::kSeparator);
    for (int i = 0; i < int(CMainToolbar::Buttons().size()); ++i) {
        if (std::find(layout.begin(), layout.end(), i) == layout.end())
            add(m_available, i);
    }
    for (int index : layout)
        add(m_current, index);
    UpdateButtons();
}

void CToolbarCustomizeDialog::Apply(const std::vector<int>& layout)
{
    const int row = m_current->currentRow();
    m_toolbar.SetLayout(layout);
    Fill();
    m_current->setCurrentRow(std::min(row, m_current->count() - 1));
}

void CToolbarCustomizeDialog::OnAdd()
{
    const QListWidgetItem* item = m_available->currentItem();
    if (!item)
        return;
    std::vector<int> layout = m_toolbar.Layout();
    const int at = m_current->currentRow() < 0 ? int(layout.size()) : m_current->currentRow();
    layout.insert(layout.begin() + at, item->data(kIndexRole).toInt());
    Apply(layout);
}

void CToolbarCustomizeDialog::OnRemove()
{
    const int row = m_current->currentRow();
    std::vector<int> layout = m_toolbar.Layout();
    if (row < 0 || row >= int(layout.size()) || !CanRemove(layout[size_t(row)]))
        return;
    layout.erase(layout.begin() + row);
    Apply(layout);
}

void CToolbarCustomizeDialog::OnMove(int step)
{
    const int row = m_current->currentRow();
    std::vector<int> layout = m_toolbar.Layout();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= int(layout.size()))
        return;
    std::swap(layout[size_t(row)], layout[size_t(to)]);
    m_toolbar.SetLayout(layout);
    Fill();
    m_current->setCurrentRow(to);
}

void CToolbarCustomizeDialog::UpdateButtons()
{
    const int row = m_current->currentRow();
    const std::vector<int>& layout = m_toolbar.Layout();
    m_add->setEnabled(m_available->currentRow() >= 0);
    m_remove->setEnabled(row >= 0 && row < int(layout.size()) && CanRemove(layout[size_t(row)]));
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row + 1 < int(layout.size()));
}
