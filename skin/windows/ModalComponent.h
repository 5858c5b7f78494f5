#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

/** A window of the editor: a component shown over the editor inside a covering window that fills the
    editor, catches the clicks around the window and may veil the panel. Nothing here blocks the message
    thread: showing returns at once and closing is a plain hide.

    Message thread only. The owner keeps the window (usually as a hidden child of the editor) and deletes
    it; the covering window is a member, so it goes with the window.
*/
class ModalComponent : public juce::Component
{
public:
    /** The component windows are shown over (the editor). */
    class Desktop
    {
    public:
        virtual ~Desktop() = default;

        /** The area in which windows are centred, in the desktop's own coordinates. */
        virtual juce::Rectangle<int> getModalArea() = 0;

        /** A question answered yes or no in the desktop's own alert window, made hidden and added nowhere:
            whoever asks owns it, adds it to the desktop and shows it. answer is called once, on the message
            thread, with true for yes; closing the window is a no. Null when this desktop has no such
            window. */
        virtual std::unique_ptr<ModalComponent> createYesNoQuestion (const juce::String& title,
                                                                     const juce::String& message,
                                                                     std::function<void (bool yes)> answer);
    };

    /** Fills its parent (the desktop), catches clicks around the window and draws the veil. */
    class CoveringWindow : public juce::Component
    {
    public:
        explicit CoveringWindow (ModalComponent& owner);

        void paint (juce::Graphics&) override;
        void resized() override;
        void parentHierarchyChanged() override;
        void parentSizeChanged() override;

    private:
        void fillParent();

        ModalComponent& owner;
    };

    /** How the window is placed when shown. */
    enum PositioningMode
    {
        centredInModalArea = 0,
        atStoredPosition = 1
    };

    ModalComponent();
    ~ModalComponent() override;

    /** True when the covering window veils the editor while this window shows. */
    virtual bool shouldDimBackground() const { return false; }

    /** Places the window inside its covering window (centred or at the stored position), always kept
        inside the editor's visible area so that a window larger than the editor stays reachable. */
    virtual void updatePosition();

    /** Shows the window centred in the desktop's modal area; a window already showing keeps its place. */
    void show();

    /** Shows the window in the given mode at a position given in relativeTo's coordinates (or the
        desktop's when relativeTo is null). */
    void showAt (int mode, juce::Point<int> position, juce::Component* relativeTo);

    /** Hides the covering window and the window; both stay attached, so the next show is cheap. */
    void hideWindow();

    /** Moves the window into its covering window under the nearest desktop; does nothing when it is
        already there. */
    void attachToDesktop();

    /** The nearest desktop: this component itself, else the nearest ancestor that is one. */
    Desktop* findDesktop() const;

    /** True when the window sits inside its covering window and that has a parent. */
    bool isInCoveringWindow() const;

    /** True while the window and its covering window are visible. */
    bool isShowing() const;

    juce::Rectangle<int> getCoveringWindowBounds() const;
    CoveringWindow& getCoveringWindow() { return coveringWindow; }

    int getPositioningMode() const { return positioningMode; }
    juce::Point<int> getStoredPosition() const { return {storedX, storedY}; }

    /** The top-left corner for a window of the given size in an area, in the area's coordinates:
        centred (integer halves) in mode 0, at the wanted position in mode 1; in both cases moved so the
        window lies inside the area, and to its top-left corner when it is larger. */
    static juce::Point<int> placeWithin (int mode, juce::Point<int> wanted, int width, int height,
                                         juce::Rectangle<int> area);

    void resized() override;
    void parentHierarchyChanged() override;

private:
    int positioningMode = centredInModalArea;
    int storedX = 0, storedY = 0;
    CoveringWindow coveringWindow;
    juce::WeakReference<juce::LookAndFeel> seenLookAndFeel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModalComponent)
};
