#pragma once
// Where the caption bar lies over the picture in the overlay method, for the
// window that paints it. Pure arithmetic on the measured text block.
namespace lumi::player {

// Full screen: the top of a text block `textHeight` high (its lines
// `lineHeight` high) on a screen `screenHeight` high. Screen modes 1 and 3
// place it `positionPercent` down the screen, modes 0 and 2 just below the
// picture (`videoBottom`); either way 0.3 of a line lower, or, when the block
// would pass the bottom, 0.3 of a line above the bottom.
int fullScreenCaptionTop(int screenMode, int positionPercent, int screenHeight, int videoBottom, int textHeight,
                         int lineHeight);

// Windowed: the text block's top inside a frame `frameHeight` high.
int windowedCaptionTop(int frameHeight, int textHeight, int positionPercent);

// The bar's top after the picture was placed: over the lowest `stripHeight`
// pixels of the picture when the overlay option is on, else right below it;
// the video height when there is no video window.
int captionBarTop(bool hasVideoWindow, int videoBottom, int videoHeight, int stripHeight, bool overlayOption);

}  // namespace lumi::player
