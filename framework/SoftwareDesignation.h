#pragma once

#include <juce_core/juce_core.h>

/** Who the plug-in is: the product information that the about box shows.

    The product class supplies its values once, in its constructor; the getters are then read on the
    message thread each time the about box paints. Every text is empty until supplied. */
class SoftwareDesignation
{
public:
    struct Info
    {
        juce::String version;
        juce::String year;
        juce::String buildDate;
        juce::String buildCode;
        juce::String branch;
        juce::String buildNumber;
        juce::String additionalInfo;
        juce::String description;
        juce::String webAddress;
        juce::String pluginFormat;
        juce::String architecture;
    };

    SoftwareDesignation() = default;
    virtual ~SoftwareDesignation() = default;

    const juce::String& getVersion() const noexcept { return info.version; }
    const juce::String& getYear() const noexcept { return info.year; }
    const juce::String& getBuildDate() const noexcept { return info.buildDate; }
    const juce::String& getBuildCode() const noexcept { return info.buildCode; }
    const juce::String& getBranch() const noexcept { return info.branch; }
    const juce::String& getBuildNumber() const noexcept { return info.buildNumber; }
    const juce::String& getAdditionalInfo() const noexcept { return info.additionalInfo; }
    const juce::String& getDescription() const noexcept { return info.description; }
    const juce::String& getWebAddress() const noexcept { return info.webAddress; }
    const juce::String& getPluginFormat() const noexcept { return info.pluginFormat; }
    const juce::String& getArchitecture() const noexcept { return info.architecture; }

protected:
    /** Called by the product's constructor, before any editor exists. */
    void setSoftwareDesignation (const Info& newInfo);

private:
    Info info;

    JUCE_DECLARE_NON_COPYABLE (SoftwareDesignation)
};
