// A child window that draws a contact picture scaled to fit, keeping its
// proportions, centred and zoomed by a factor.
#pragma once

#include "image/imagefile.h"

#include <QFrame>
#include <memory>
#include <string>

class CImageViewWnd : public QFrame {
    Q_OBJECT
public:
    static constexpr int kId = 1004;
    static constexpr int kModeFit = 3;
    // Zooming stops here, so that one picture pixel still fits in a
    // window coordinate.
    static constexpr float kMinZoom = 1.0f / 4096;
    static constexpr float kMaxZoom = 4096.0f;

    explicit CImageViewWnd(QWidget* parent = nullptr);
    ~CImageViewWnd() override;

    // Places the window in the parent's rectangle.
    bool Create(QWidget* parent, const QRect& rect);

    // Discards the picture; a non-empty path is read with its type (-1: by
    // the extension) and kept only when it has a width and a height, else
    // the window says why it shows nothing.
    void SetFile(const std::string& path, int type);
    // Takes over a loaded picture; none is ignored.
    void SetImage(std::unique_ptr<CImageFile> image);
    std::unique_ptr<CImageFile> DetachImage();
    // Shown in place of a picture while there is none; a new picture or
    // file clears it.
    void SetMessage(const QString& text);
    const QString& GetMessage() const { return m_message; }
    const CImageFile* GetImage() const { return m_pImage.get(); }
    // The shown picture's file and type; "" and -1 without a picture.
    std::string GetFileName() const;
    int GetImageType() const;

    float GetZoom() const { return m_fZoom; }
    // Kept within kMinZoom and kMaxZoom.
    void SetZoom(float zoom);

    // Why the file's picture, read into image, cannot be shown, as the end
    // of a sentence: the file is missing or no ordinary file, or what the
    // decoder found.
    static QString WhyNotShown(const std::string& path, const CImageFile& image);

    // Where the picture lands in the client area, in fit mode; empty
    // without a picture.
    QRectF PictureRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    float m_fZoom = 1.0f;
    int m_nMode = kModeFit;
    std::unique_ptr<CImageFile> m_pImage;
    QString m_message;
};
