// CDiagramView: the child window that shows the diagram. It colourises the level grid when the
// application's display counter moves, fits the picture to its client area and paints it with
// its frame and coordinate label. It works in device pixels throughout.
#pragma once

#include "view/color_scale.h"
#include "view/image_pipeline.h"

#include <QImage>
#include <QWidget>

#include <cstdint>

class CDiagramView : public QWidget {
public:
    explicit CDiagramView(QWidget* parent = nullptr);

    // Size of the client area in device pixels: the size every computation here works in.
    PixelSize ClientSize() const;

    // The view has no commands of its own: every id is passed on.
    bool OnCmdMsg(uint32_t id);

    // Rebuilds the colour table from the application's colour settings.
    void BuildColorTable();
    // Reallocates the colourised image at the application's grid size.
    void AllocImage();
    // Colourises every cell of the level grid through a fresh colour table.
    void Colorize();
    // Reallocates the display bitmap at the size that fits the client area.
    void FitBitmap();
    // Fits the display bitmap and fills it from the colourised image, or with the placeholder.
    void Resample();

    const PixelBuffer& ColorizedImage() const { return m_image; }
    const PixelBuffer& DisplayBitmap() const { return m_bitmap; }
    ImagePlacement Placement() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnPaint();
    void OnSize();
    // The bitmap as it goes to the screen: rows top-down and every pixel opaque.
    void PrepareShownImage();
    void DrawLabel(class QPainter& painter, const ImagePlacement& placement, PixelSize client);

    PixelBuffer m_image;  // the colourised image: m_nImageWidth × m_nImageHeight colour values
    ColorTable m_colorTable{};
    PixelBuffer m_bitmap;  // the display bitmap, row 0 shown at the bottom
    QImage m_shownImage;
    bool m_bLayoutChanged = false;
    int32_t m_nDisplaySeen = 0;
    const int32_t m_nMarginX = 20;
    const int32_t m_nMarginY = 20;
};
