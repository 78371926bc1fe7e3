// The band across the top of the contacts container: the current book's
// name and the alphabet filter's letter; in find mode the quick-find bar.
#pragma once

#include <QWidget>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class CBookBanner : public QWidget {
    Q_OBJECT
public:
    static constexpr int kControlId = 1003;
    static constexpr int kHeight = 25;
    static constexpr int kFindHeight = 59;

    explicit CBookBanner(QWidget* parent = nullptr);

    void SetBookName(const QString& name);
    QString BookName() const { return m_name; }
    void SetLetterText(const QString& text);
    // Docked: the book pane shows the books and the name is painted; else a
    // button opens the pane.
    void SetDocked(bool docked);
    void EnterFindMode();
    void LeaveFindMode();
    bool InFindMode() const { return m_bFindMode; }
    bool AllBooks() const { return m_bAllBooks; }

    QToolButton* BookButton() const { return m_bookButton; }
    // The find controls in Tab order.
    QList<QWidget*> FindControls() const;

signals:
    void bookButtonClicked();
    void findRequested(const QString& text, bool allBooks);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutControls();

    QString m_name;
    QString m_letter;
    bool m_bDocked = false;
    bool m_bFindMode = false;
    bool m_bAllBooks = false;
    QToolButton* m_bookButton;
    QLabel* m_lookFor;
    QLineEdit* m_edit;
    QRadioButton* m_thisBook;
    QRadioButton* m_allBooks;
    QPushButton* m_findNow;
};
