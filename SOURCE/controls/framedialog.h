// The base of the program's free-standing dialogs: a title strip across the
// top and a face-coloured working area inside a shadow-coloured margin.
// Subclasses put their controls into Frame() and set them up in
// OnInitDialog, which runs once, just before the dialog is first shown.
#pragma once

#include "controls/gradientcaption.h"
#include "platform/msgbox.h"

#include <QDialog>

class CFramedDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCaptionId = 1349;
    static constexpr int kFrameId = 1297;
    // The working area sits this many dialog units in from the edges.
    static constexpr int kFrameInset = 4;
    static constexpr int kDefaultCaptionPoints = 10;

    CFramedDialog(int templateId, QWidget* parent = nullptr);

    // Runs the dialog; IDOK, IDCANCEL or the code given to EndDialog.
    int DoModal();
    void EndDialog(int result) { done(result); }

    CGradientCaption* Caption() const { return m_caption; }
    QWidget* Frame() const { return m_frame; }
    int TemplateId() const { return m_templateId; }

    void accept() override { OnOK(); }
    void reject() override { OnCancel(); }

protected:
    virtual bool OnInitDialog();
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    int m_captionPointSize = -1;
    bool m_captionBold = true;

private:
    int m_templateId;
    bool m_initialised = false;
    CGradientCaption* m_caption;
    QWidget* m_frame;
};
