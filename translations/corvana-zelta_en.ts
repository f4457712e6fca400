<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>Application</name>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minute remaining</source>
        <translation>
            <numerusform>%n minute remaining</numerusform>
            <numerusform>%n minutes remaining</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes remaining</source>
        <translation>
            <numerusform>%n minute remaining</numerusform>
            <numerusform>%n minutes remaining</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second remaining</source>
        <translation>
            <numerusform>%n second remaining</numerusform>
            <numerusform>%n seconds remaining</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds remaining</source>
        <translation>
            <numerusform>%n second remaining</numerusform>
            <numerusform>%n seconds remaining</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CorvLibraryItemWidget</name>
    <message numerus="yes">
        <source>%n mins</source>
        <comment>play length in minutes</comment>
        <translation>
            <numerusform>%n min</numerusform>
            <numerusform>%n mins</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n sec</source>
        <comment>play length in seconds</comment>
        <translation>
            <numerusform>%n sec</numerusform>
            <numerusform>%n sec</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>LibraryWidget</name>
    <message numerus="yes">
        <source>%n imported</source>
        <comment>videos</comment>
        <translation>
            <numerusform>%n imported</numerusform>
            <numerusform>%n imported</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: not a video</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n skipped: not a video</numerusform>
            <numerusform>%n skipped: not videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be copied</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n could not be copied</numerusform>
            <numerusform>%n could not be copied</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <comment>files</comment>
        <translation>
            <numerusform>and %n more</numerusform>
            <numerusform>and %n more</numerusform>
        </translation>
    </message>
</context>
</TS>
