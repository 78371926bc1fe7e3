// The contact's picture on the General page: the image scaled to fit the
// frame, keeping its proportions, centred, on the face colour.
#pragma once

#include <QFrame>
#include <memory>
#include <string>

class CImageFile;

class CPictureFrame : public QFrame {
    Q_OBJECT
public:
    explicit CPictureFrame(QWidget* parent = nullptr);
    ~CPictureFrame() override;

    // Shows the file, or nothing when it cannot be read or has no size.
    void SetFile(const std::string& path, int type);
    void Clear();
    bool HasImage() const { return m_image != nullptr; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<CImageFile> m_image;
};
