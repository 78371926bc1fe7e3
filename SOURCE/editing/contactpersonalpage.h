// The Personal page: children (one per line of the stored text), birthday,
// anniversary, spouse and notes.
#pragma once

#include "editing/contactpage.h"

#include <QStringList>
#include <string>

class CDateField;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class CContactPersonalPage : public CContactPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 114;

    explicit CContactPersonalPage(CDialogContactProps* host);

    void StoreInto(Contact& contact) const;
    QStringList Children() const;

    void OnAdd();
    void OnEdit();
    void OnRemove();

    QListWidget* ChildList() const { return m_children; }
    CDateField* BirthdayField() const { return m_birthday; }
    CDateField* AnniversaryField() const { return m_anniversary; }
    QPlainTextEdit* NotesEdit() const { return m_notes; }
    QLineEdit* SpouseEdit() const { return m_spouse; }

    // The stored form of the children: each name followed by a line feed.
    static std::string JoinChildren(const QStringList& children);
    // Every line a child, the last one too when no line feed ends it.
    static QStringList SplitChildren(const std::string& text);

protected:
    void LoadFrom(Contact& contact) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateControls();
    void OnEditEnded(QWidget* editor, int hint);

    QListWidget* m_children;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_remove;
    QLineEdit* m_spouse;
    CDateField* m_birthday;
    CDateField* m_anniversary;
    QPlainTextEdit* m_notes;
    bool m_bNewPending = false;
    QStringList m_loadedChildren;
};
