// The General page: name parts, the display name chosen from candidates
// built from them, gender, the picture and the contact's books.
#pragma once

#include "editing/contactpage.h"

#include <QStringList>
#include <string>
#include <vector>

class Book;
class CImageViewWnd;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

class CContactGeneralPage : public CContactPage {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 111;

    explicit CContactGeneralPage(CDialogContactProps* host);

    void Store() override;
    // The page's fields into the contact (books apart).
    void StoreInto(Contact& contact) const;
    // The books listed, in list order.
    const std::vector<Book*>& Books() const { return m_books; }
    // The display name shown now, trimmed.
    QString DisplayName() const;
    QStringList DisplayNameCandidates() const;

    // The buttons' actions.
    void OnAddBooks();
    void OnRemoveBooks();
    void OnSelectImage();
    void OnClearImage();

    QLineEdit* FirstEdit() const { return m_first; }
    QLineEdit* MiddleEdit() const { return m_middle; }
    QLineEdit* LastEdit() const { return m_last; }
    QLineEdit* TitleEdit() const { return m_title; }
    QLineEdit* SuffixEdit() const { return m_suffix; }
    QLineEdit* NicknameEdit() const { return m_nickname; }
    QComboBox* DisplayNameCombo() const { return m_display; }
    QComboBox* GenderCombo() const { return m_gender; }
    QListWidget* BookList() const { return m_bookList; }
    QPushButton* RemoveBooksButton() const { return m_removeBooks; }
    QPushButton* AddBooksButton() const { return m_addBooks; }
    QPushButton* SelectImageButton() const { return m_selectImage; }
    const std::string& PicturePath() const { return m_picturePath; }

protected:
    void LoadFrom(Contact& contact) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Refills the display-name list; titleOrSuffix: the change came from
    // the title or the suffix.
    void FillDisplayNames(bool titleOrSuffix);
    void ListBooks(const std::vector<Book*>& books);
    void UpdateControls();

    QLineEdit* m_first = nullptr;
    QLineEdit* m_middle = nullptr;
    QLineEdit* m_last = nullptr;
    QLineEdit* m_nickname = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_suffix = nullptr;
    QComboBox* m_display = nullptr;
    QComboBox* m_gender = nullptr;
    QListWidget* m_bookList = nullptr;
    CImageViewWnd* m_picture = nullptr;
    QPushButton* m_selectImage = nullptr;
    QPushButton* m_clearImage = nullptr;
    QPushButton* m_addBooks = nullptr;
    QPushButton* m_removeBooks = nullptr;

    std::vector<Book*> m_books;
    std::string m_picturePath;
    int m_nPictureType = -1;
    QString m_displayName;
    // The display name as the contact had it when the run started.
    QString m_storedName;
    u32 m_dwGender = 0;
};
