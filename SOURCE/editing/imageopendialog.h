// The file dialog that chooses a contact's picture, with a live preview of
// the selected file, zoom buttons and a switch for the preview.
#pragma once

#include "image/imagefile.h"
#include "platform/wintypes.h"

#include <QFileDialog>
#include <memory>
#include <string>

class CFlatButton;
class CImageViewWnd;
class QCheckBox;

class CImageOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 140;
    static constexpr int kPreviewPlaceId = 1509;
    static constexpr int kShowPreviewId = 1510;
    static constexpr int kZoomInId = 1511;
    static constexpr int kZoomOutId = 1512;
    static constexpr int kPanId = 1514;
    static constexpr int kRestoreId = 1515;
    // "ImageDlg" bits.
    static constexpr u32 kPreviewOn = 0x1;

    explicit CImageOpenDialog(QWidget* parent = nullptr);
    // Keeps the preview setting for the next time.
    ~CImageOpenDialog() override;

    // IDOK with a picture that was read, else IDCANCEL.
    int DoModal();
    // The picture chosen with OK, for the caller to keep.
    std::unique_ptr<CImageFile> DetachImage();
    // Selects a file (the contact's current picture) and previews it when
    // the preview is on.
    void ShowFile(const std::string& path, int type);

    CImageViewWnd* Preview() const { return m_preview; }
    float GetZoom() const { return m_fZoom; }
    bool IsPreviewOn() const { return m_dwImageDlg & kPreviewOn; }
    QCheckBox* ShowPreviewBox() const { return m_showPreview; }

    // The picture type of a file's extension, without regard to case; -1
    // for an extension no picture format has.
    static int ImageTypeOf(const QString& path);

    void OnZoomIn();
    void OnZoomOut();
    void OnPan();
    void OnRestore();
    void OnShowPreview(bool on);

    void accept() override;

private:
    void AddPreviewPane();
    void FitColumns();
    void OnSelChange(const QString& path);
    void SetZoom(float zoom);
    // The picture of a file, or the reason it cannot be one.
    std::unique_ptr<CImageFile> ReadPicture(const QString& path, QString* reason) const;

    CImageViewWnd* m_preview = nullptr;
    CFlatButton* m_zoomIn = nullptr;
    CFlatButton* m_zoomOut = nullptr;
    CFlatButton* m_pan = nullptr;
    CFlatButton* m_restore = nullptr;
    QCheckBox* m_showPreview = nullptr;
    std::unique_ptr<CImageFile> m_pImage;
    float m_fZoom = 1.0f;
    u32 m_dwImageDlg = kPreviewOn;
    QString m_strSelection;
};
