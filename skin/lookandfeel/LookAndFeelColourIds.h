#pragma once

/** The program's own colour ids. The look and feel sets them; the windows, the browser, the panels and the
    editor's status bar look them up by number through findColour, so the numbers are fixed. JUCE's own ids
    that the look and feel sets are used through JUCE's names. */
struct LookAndFeelColourIds
{
    // The accent and the two extremes; nothing in the program reads these, a foreign reader gets them.
    static constexpr int accentLight = 0x0E000000;
    static constexpr int accent = 0x0E000001;
    static constexpr int white = 0x0E000002;
    static constexpr int black = 0x0E000003;

    // WindowComponent.
    static constexpr int windowBackground = 0x0F001000;
    static constexpr int windowTitleBar = 0x0F001001; // also its outline
    static constexpr int windowTitleText = 0x0F001002;

    // The about window.
    static constexpr int aboutBackground = 0;
    static constexpr int aboutTitleBar = 1;
    static constexpr int aboutText = 2;
    static constexpr int aboutLink = 3;

    // ColumnBrowser.
    static constexpr int browserBackground = 0x0F003100;
    static constexpr int browserColumn = 0x0F003101;
    static constexpr int browserSelection = 0x0F003102;
    static constexpr int browser3 = 0x0F003103;
    static constexpr int browser4 = 0x0F003104;
    static constexpr int browserHighlight = 0x0F003105;
    static constexpr int browser6 = 0x0F003106;
    static constexpr int browser7 = 0x0F003107;
    static constexpr int browser8 = 0x0F003108;

    // PanelComponent outline.
    static constexpr int panelOutline = 0x0F005000;

    // PathComponent.
    static constexpr int pathBackground = 0x0F002200;
    static constexpr int pathText = 0x0F002201;
    static constexpr int pathOutline = 0x0F002202;

    // TabbedComponentEx.
    static constexpr int tabPageBackground = 0x0F003000;
    static constexpr int tabFrontText = 0x0F003001;
    static constexpr int tabOutline = 0x0F003002; // outlines, back tab text, the tab-bar line

    // The editor's status bar.
    static constexpr int statusBarBackground = 0x0F004001;
    static constexpr int statusBarText = 0x0F004002;

    static constexpr int lightGrey = 0x0F000000;
};
