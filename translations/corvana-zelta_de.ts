<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Application</name>
    <message>
        <source>This system does not support OpenSSL. SSL websites will not be available.</source>
        <translation>Dieses System unterstützt OpenSSL nicht. SSL-Webseiten sind nicht verfügbar.</translation>
    </message>
    <message>
        <source>kB</source>
        <translation>kB</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>GB</translation>
    </message>
    <message numerus="yes">
        <source>%n minute remaining</source>
        <translation>
            <numerusform>Noch %n Minute</numerusform>
            <numerusform>Noch %n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes remaining</source>
        <translation>
            <numerusform>Noch %n Minute</numerusform>
            <numerusform>Noch %n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second remaining</source>
        <translation>
            <numerusform>Noch %n Sekunde</numerusform>
            <numerusform>Noch %n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds remaining</source>
        <translation>
            <numerusform>Noch %n Sekunde</numerusform>
            <numerusform>Noch %n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Byte</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>size and its unit</comment>
        <translation>%1 %2</translation>
    </message>
</context>
<context>
    <name>BurnQueue</name>
    <message>
        <source>Compiling DVD and burning to disc</source>
        <translation>DVD wird erstellt und auf Disc gebrannt</translation>
    </message>
    <message>
        <source>Compiling (S)VCD and burning to disc</source>
        <translation>(S)VCD wird erstellt und auf Disc gebrannt</translation>
    </message>
    <message>
        <source>Building DVD...</source>
        <translation>DVD wird erstellt...</translation>
    </message>
    <message>
        <source>Building VCD...</source>
        <translation>VCD wird erstellt...</translation>
    </message>
</context>
<context>
    <name>BurnStep</name>
    <message>
        <source>Tasks</source>
        <translation>Aufgaben</translation>
    </message>
    <message>
        <source>Cancel Operation</source>
        <translation>Vorgang abbrechen</translation>
    </message>
    <message>
        <source>Discaveo is in the middle of an operation, are you sure you want to exit?</source>
        <translation>Discaveo ist mitten in einem Vorgang. Möchten Sie wirklich beenden?</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Fortfahren</translation>
    </message>
    <message>
        <source>Would you like to continue?</source>
        <translation>Möchten Sie fortfahren?</translation>
    </message>
    <message>
        <source>Burning is complete!</source>
        <translation>Das Brennen ist abgeschlossen!</translation>
    </message>
    <message>
        <source>Discaveo has completed the burning operation, enjoy your media.</source>
        <translation>Discaveo hat den Brennvorgang abgeschlossen. Viel Spaß mit Ihren Medien.</translation>
    </message>
</context>
<context>
    <name>BurnerWizard</name>
    <message>
        <source>Discaveo</source>
        <translation>Discaveo</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>Put your videos on a disc</source>
        <translation>Bringen Sie Ihre Videos auf eine Disc</translation>
    </message>
</context>
<context>
    <name>ConvertTask</name>
    <message>
        <source>Converting to MPEG</source>
        <translation>Umwandlung in MPEG</translation>
    </message>
    <message>
        <source>Unsupported format</source>
        <translation>Nicht unterstütztes Format</translation>
    </message>
    <message>
        <source>The file %1 contains a track with an unsupported format</source>
        <translation>Die Datei %1 enthält eine Spur in einem nicht unterstützten Format</translation>
    </message>
    <message>
        <source>Conversion Error</source>
        <translation>Fehler bei der Umwandlung</translation>
    </message>
    <message>
        <source>The file %1 has failed conversion.</source>
        <translation>Die Umwandlung der Datei %1 ist fehlgeschlagen.</translation>
    </message>
</context>
<context>
    <name>CorvHeaderView</name>
    <message>
        <source>Sort by</source>
        <translation>Sortieren nach</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
</context>
<context>
    <name>CorvLibSearchWidget</name>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Search My Library</source>
        <translation>Meine Bibliothek durchsuchen</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Suche löschen</translation>
    </message>
</context>
<context>
    <name>CorvLibraryItemWidget</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Mehr</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this video?</source>
        <translation>Möchten Sie dieses Video wirklich löschen?</translation>
    </message>
    <message numerus="yes">
        <source>%n mins</source>
        <comment>play length in minutes</comment>
        <translation>
            <numerusform>%n Min.</numerusform>
            <numerusform>%n Min.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n sec</source>
        <comment>play length in seconds</comment>
        <translation>
            <numerusform>%n Sek.</numerusform>
            <numerusform>%n Sek.</numerusform>
        </translation>
    </message>
    <message>
        <source>Are you sure you want to delete &quot;%1&quot;?</source>
        <translation>Möchten Sie „%1“ wirklich löschen?</translation>
    </message>
    <message>
        <source>File missing</source>
        <translation>Datei fehlt</translation>
    </message>
</context>
<context>
    <name>CorvMediaInformationEditDialog</name>
    <message>
        <source>Media Information</source>
        <translation>Medieninformationen</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Schlagwörter</translation>
    </message>
    <message>
        <source>Cast</source>
        <translation>Darsteller</translation>
    </message>
</context>
<context>
    <name>CorvWebSearchWidget</name>
    <message>
        <source>Search...</source>
        <translation>Suchen...</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
</context>
<context>
    <name>CreateDVDTask</name>
    <message>
        <source>Unable to create DVD</source>
        <translation>DVD kann nicht erstellt werden</translation>
    </message>
    <message>
        <source>The menu could not be written to %1.</source>
        <translation>Das Menü konnte nicht nach %1 geschrieben werden.</translation>
    </message>
    <message>
        <source>The disc menu has no room for %1 videos.</source>
        <translation>Im Discmenü ist kein Platz für %1 Videos.</translation>
    </message>
    <message>
        <source>The file %1 was not created.</source>
        <translation>Die Datei %1 wurde nicht erstellt.</translation>
    </message>
    <message>
        <source>Error with ppmconverter</source>
        <translation>Fehler im ppmconverter</translation>
    </message>
    <message>
        <source>Error with y4mconverter</source>
        <translation>Fehler im y4mconverter</translation>
    </message>
    <message>
        <source>Error with mpgconverter</source>
        <translation>Fehler im mpgconverter</translation>
    </message>
    <message>
        <source>Error with multiplexer</source>
        <translation>Fehler im Multiplexer</translation>
    </message>
    <message>
        <source>Error with subtitler</source>
        <translation>Fehler im Untertitler</translation>
    </message>
    <message>
        <source>Error with cdcreator</source>
        <translation>Fehler im cdcreator</translation>
    </message>
</context>
<context>
    <name>CreateVCDTask</name>
    <message>
        <source>Error with vcdgenerator</source>
        <translation>Fehler im vcdgenerator</translation>
    </message>
    <message>
        <source>Error with vcdbuilder</source>
        <translation>Fehler im vcdbuilder</translation>
    </message>
    <message>
        <source>The file %1 was not created.</source>
        <translation>Die Datei %1 wurde nicht erstellt.</translation>
    </message>
</context>
<context>
    <name>CustomWebInspector</name>
    <message>
        <source>Web Inspector</source>
        <translation>Web-Inspektor</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Download failed</source>
        <translation>Download fehlgeschlagen</translation>
    </message>
    <message>
        <source>Download finished</source>
        <translation>Download abgeschlossen</translation>
    </message>
    <message>
        <source>Disc finished</source>
        <translation>Disc fertig</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
</context>
<context>
    <name>DeviceController</name>
    <message>
        <source>Validating media...</source>
        <translation>Medium wird geprüft...</translation>
    </message>
    <message>
        <source>Formatting media...</source>
        <translation>Medium wird formatiert...</translation>
    </message>
    <message>
        <source>Initializing hardware... </source>
        <translation>Hardware wird initialisiert... </translation>
    </message>
    <message>
        <source>Calibrating power...</source>
        <translation>Schreibleistung wird kalibriert...</translation>
    </message>
    <message>
        <source>Writing Disc...</source>
        <translation>Disc wird geschrieben...</translation>
    </message>
    <message>
        <source>Finishing writing operation...</source>
        <translation>Schreibvorgang wird abgeschlossen...</translation>
    </message>
</context>
<context>
    <name>DiscSetupDialog</name>
    <message>
        <source>Waiting for a disc to be inserted...</source>
        <translation>Warten auf das Einlegen einer Disc...</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Brennen</translation>
    </message>
    <message>
        <source>Eject</source>
        <translation>Auswerfen</translation>
    </message>
    <message>
        <source>Image File...</source>
        <translation>Abbilddatei...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Burn Disc In:</source>
        <translation>Disc brennen in:</translation>
    </message>
    <message>
        <source>Please insert a valid disc</source>
        <translation>Bitte legen Sie eine gültige Disc ein</translation>
    </message>
    <message>
        <source>The current disc is not writable</source>
        <translation>Die eingelegte Disc ist nicht beschreibbar</translation>
    </message>
    <message>
        <source>Ready to burn.</source>
        <translation>Bereit zum Brennen.</translation>
    </message>
    <message>
        <source>Write to Image File</source>
        <translation>In Abbilddatei schreiben</translation>
    </message>
    <message>
        <source>Disc Images (*.iso *.bin);;All Files (*)</source>
        <translation>Disc-Abbilder (*.iso *.bin);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Brenner</translation>
    </message>
    <message>
        <source>Disc status</source>
        <translation>Disc-Status</translation>
    </message>
    <message>
        <source>Burn disc</source>
        <translation>Disc brennen</translation>
    </message>
    <message>
        <source>Eject disc</source>
        <translation>Disc auswerfen</translation>
    </message>
    <message>
        <source>Write to an image file</source>
        <translation>In eine Abbilddatei schreiben</translation>
    </message>
    <message>
        <source>Cancel disc setup</source>
        <translation>Disc-Einrichtung abbrechen</translation>
    </message>
    <message>
        <source>The disc image cannot be written to %1. Choose a file in a folder you can write to.</source>
        <translation>Das Disc-Abbild kann nicht nach %1 geschrieben werden. Wählen Sie eine Datei in einem Ordner, in den Sie schreiben dürfen.</translation>
    </message>
</context>
<context>
    <name>DvdMenu</name>
    <message>
        <source>Play All</source>
        <translation>Alle abspielen</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Untertitel</translation>
    </message>
    <message>
        <source>Unknown language</source>
        <translation>Unbekannte Sprache</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>Queued</source>
        <translation>In Warteschlange</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Wird heruntergeladen</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>Waiting to retry</source>
        <translation>Wartet auf neuen Versuch</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
    <message>
        <source>a file named &quot;%1&quot; is in the way</source>
        <translation>eine Datei namens „%1“ ist im Weg</translation>
    </message>
    <message>
        <source>its folder &quot;%1&quot; cannot be made</source>
        <translation>der Ordner „%1“ kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>its media address is not a web address</source>
        <translation>seine Medienadresse ist keine Webadresse</translation>
    </message>
    <message>
        <source>its address is not a web address</source>
        <translation>seine Adresse ist keine Webadresse</translation>
    </message>
    <message>
        <source>the site sent it elsewhere without a usable address</source>
        <translation>die Website hat ihn ohne brauchbare Adresse umgeleitet</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>zu viele Umleitungen</translation>
    </message>
</context>
<context>
    <name>DownloadFailure</name>
    <message>
        <source>The site no longer offers this video</source>
        <translation>Die Seite bietet dieses Video nicht mehr an</translation>
    </message>
    <message>
        <source>The site did not accept your user name or password for &quot;%1&quot;. Sign in again, then retry.</source>
        <translation>Die Website hat Ihren Benutzernamen oder Ihr Passwort für „%1“ nicht angenommen. Melden Sie sich erneut an und versuchen Sie es dann noch einmal.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not found on the site.</source>
        <translation>„%1“ wurde auf der Website nicht gefunden.</translation>
    </message>
    <message>
        <source>The site had a problem sending &quot;%1&quot; (error %2). The download is tried again by itself.</source>
        <translation>Die Website hatte ein Problem beim Senden von „%1“ (Fehler %2). Der Download wird von selbst erneut versucht.</translation>
    </message>
    <message>
        <source>the site answered %1</source>
        <translation>die Website antwortete %1</translation>
    </message>
    <message>
        <source>network error %1</source>
        <translation>Netzwerkfehler %1</translation>
    </message>
    <message>
        <source>The disk is full: &quot;%1&quot; could not be written in %2 (%3). The part already downloaded is kept.</source>
        <translation>Der Datenträger ist voll: „%1“ konnte nicht in %2 geschrieben werden (%3). Der bereits heruntergeladene Teil bleibt erhalten.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to (%2): &quot;%3&quot; was not saved. The part already downloaded is kept.</source>
        <translation>In den Ordner %1 kann nicht geschrieben werden (%2): „%3“ wurde nicht gespeichert. Der bereits heruntergeladene Teil bleibt erhalten.</translation>
    </message>
    <message>
        <source>Not enough disk space for &quot;%1&quot;: needs %2, %3 free in %4.</source>
        <translation>Nicht genug Speicherplatz für „%1“: benötigt %2, frei sind %3 in %4.</translation>
    </message>
    <message>
        <source>No connection to the site for &quot;%1&quot;. The download goes on by itself when the connection is back.</source>
        <translation>Keine Verbindung zur Website für „%1“. Der Download geht von selbst weiter, sobald die Verbindung wieder besteht.</translation>
    </message>
    <message>
        <source>The download of &quot;%1&quot; failed (%2).</source>
        <translation>Der Download von „%1“ ist fehlgeschlagen (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not downloaded: the site&apos;s certificate was not trusted, so the connection could not be made secure.</source>
        <translation>„%1“ wurde nicht heruntergeladen: Dem Zertifikat der Website wird nicht vertraut, daher ließ sich keine sichere Verbindung herstellen.</translation>
    </message>
</context>
<context>
    <name>DownloadHelper</name>
    <message>
        <source>the site&apos;s answer does not continue the part on disk</source>
        <translation>die Antwort der Website setzt den Teil auf dem Datenträger nicht fort</translation>
    </message>
</context>
<context>
    <name>DownloadCard</name>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Loading download...</source>
        <translation>Download wird geladen...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>CorvanaZELTA</source>
        <translation>CorvanaZELTA</translation>
    </message>
    <message>
        <source>Are you sure you want to remove this download?</source>
        <translation>Möchten Sie diesen Download wirklich entfernen?</translation>
    </message>
    <message>
        <source>Status: &lt;font color=&apos;%1&apos;&gt;%2&lt;/font&gt;</source>
        <translation>Status: &lt;font color=&apos;%1&apos;&gt;%2&lt;/font&gt;</translation>
    </message>
    <message>
        <source>Starring: %1</source>
        <translation>Darsteller: %1</translation>
    </message>
    <message>
        <source>Tags: %1</source>
        <translation>Schlagwörter: %1</translation>
    </message>
    <message>
        <source>Sign In</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
</context>
<context>
    <name>DownloadManager</name>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>its announced size of %1 bytes cannot be a video&apos;s</source>
        <translation>die angegebene Größe von %1 Bytes kann nicht die eines Videos sein</translation>
    </message>
    <message>
        <source>it is in your library already</source>
        <translation>es ist bereits in Ihrer Bibliothek</translation>
    </message>
    <message>
        <source>Videos Skipped</source>
        <translation>Videos übersprungen</translation>
    </message>
    <message>
        <source>This video was not downloaded:
%1</source>
        <translation>Dieses Video wurde nicht heruntergeladen:
%1</translation>
    </message>
    <message>
        <source>These videos were not downloaded:
%1</source>
        <translation>Diese Videos wurden nicht heruntergeladen:
%1</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Datei vorhanden</translation>
    </message>
    <message>
        <source>You have already downloaded this video</source>
        <translation>Sie haben dieses Video bereits heruntergeladen</translation>
    </message>
    <message>
        <source>Download Failed</source>
        <translation>Download fehlgeschlagen</translation>
    </message>
    <message>
        <source>The file %1 could not be read.</source>
        <translation>Die Datei %1 konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Are you sure you want to remove all downloads?</source>
        <translation>Möchten Sie wirklich alle Downloads entfernen?</translation>
    </message>
    <message>
        <source>its media address is not a web address</source>
        <translation>seine Medienadresse ist keine Webadresse</translation>
    </message>
    <message>
        <source>the download list is full</source>
        <translation>die Downloadliste ist voll</translation>
    </message>
    <message>
        <source>The download list at %1 was not opened: it is not an address of the site.</source>
        <translation>Die Downloadliste unter %1 wurde nicht geöffnet: Es ist keine Adresse der Website.</translation>
    </message>
    <message>
        <source>its file type &quot;%1&quot; is not a video type</source>
        <translation>sein Dateityp „%1“ ist kein Videotyp</translation>
    </message>
    <message>
        <source>%1 was not downloaded: %2.</source>
        <translation>%1 wurde nicht heruntergeladen: %2.</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>%1 of %2 (%3/sec) - %4</source>
        <translation>%1 von %2 (%3/s) - %4</translation>
    </message>
</context>
<context>
    <name>DownloadView</name>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
</context>
<context>
    <name>DownloadWidget</name>
    <message>
        <source>Alternative Speed</source>
        <translation>Alternativtempo</translation>
    </message>
    <message>
        <source>Download at the alternative speed limit now, whatever the schedule says</source>
        <translation>Jetzt mit dem alternativen Tempolimit herunterladen, unabhängig vom Zeitplan</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Downloads</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>Alle entfernen</translation>
    </message>
    <message>
        <source>Pause All</source>
        <translation>Alle anhalten</translation>
    </message>
    <message>
        <source>Resume All</source>
        <translation>Alle fortsetzen</translation>
    </message>
</context>
<context>
    <name>FileStep</name>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Nach oben</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Nach unten</translation>
    </message>
    <message>
        <source>NTSC</source>
        <translation>NTSC</translation>
    </message>
    <message>
        <source>PAL</source>
        <translation>PAL</translation>
    </message>
    <message>
        <source>DVD Video Disc</source>
        <translation>DVD-Video-Disc</translation>
    </message>
    <message>
        <source>Dual Layer DVD Video Disc</source>
        <translation>Double-Layer-DVD-Video-Disc</translation>
    </message>
    <message>
        <source>VCD Video Disc</source>
        <translation>VCD-Video-Disc</translation>
    </message>
    <message>
        <source>SVCD Video Disc</source>
        <translation>SVCD-Video-Disc</translation>
    </message>
    <message>
        <source>Add/Remove Files:</source>
        <translation>Dateien hinzufügen/entfernen:</translation>
    </message>
    <message>
        <source>Change File Order:</source>
        <translation>Reihenfolge ändern:</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>Disc Type:</source>
        <translation>Disc-Typ:</translation>
    </message>
    <message>
        <source>Total Tracks:</source>
        <translation>Titel gesamt:</translation>
    </message>
    <message>
        <source>Total Time:</source>
        <translation>Gesamtdauer:</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Brennen</translation>
    </message>
    <message>
        <source>Add Videos</source>
        <translation>Videos hinzufügen</translation>
    </message>
    <message>
        <source>Video Files (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;All Files (*.*)</source>
        <translation>Videodateien (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Add files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Remove file</source>
        <translation>Datei entfernen</translation>
    </message>
    <message>
        <source>Move file up</source>
        <translation>Datei nach oben verschieben</translation>
    </message>
    <message>
        <source>Move file down</source>
        <translation>Datei nach unten verschieben</translation>
    </message>
    <message>
        <source>Files on the disc</source>
        <translation>Dateien auf der Disc</translation>
    </message>
    <message>
        <source>Disc title</source>
        <translation>Disc-Titel</translation>
    </message>
    <message>
        <source>TV format</source>
        <translation>Fernsehnorm</translation>
    </message>
    <message>
        <source>Disc type</source>
        <translation>Disc-Typ</translation>
    </message>
    <message>
        <source>Total tracks</source>
        <translation>Titel insgesamt</translation>
    </message>
    <message>
        <source>Total time</source>
        <translation>Gesamtspielzeit</translation>
    </message>
    <message>
        <source>Play time used</source>
        <translation>Belegte Spielzeit</translation>
    </message>
    <message>
        <source>These files cannot be read as videos and were not added:</source>
        <translation>Diese Dateien lassen sich nicht als Videos lesen und wurden nicht hinzugefügt:</translation>
    </message>
    <message>
        <source>VCD and SVCD discs cannot carry subtitles: these videos go on the disc without them.</source>
        <translation>VCDs und SVCDs können keine Untertitel enthalten: Diese Videos kommen ohne sie auf die Disc.</translation>
    </message>
    <message>
        <source>Subtitles go on the disc for the player to switch on. Clear a video&apos;s box in the Subtitles column to leave them off.</source>
        <translation>Untertitel kommen auf die Disc und lassen sich im Player einschalten. Entfernen Sie das Häkchen eines Videos in der Spalte Untertitel, um sie wegzulassen.</translation>
    </message>
</context>
<context>
    <name>IntegrityChecker</name>
    <message>
        <source>Rebuilding library (%1 files)...</source>
        <translation>Bibliothek wird neu aufgebaut (%1 Dateien)...</translation>
    </message>
</context>
<context>
    <name>LibburnDeviceController</name>
    <message>
        <source>The image %1 cannot be read: %2</source>
        <translation>Das Abbild %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The disc cannot take this image: %1</source>
        <translation>Die Disc kann dieses Abbild nicht aufnehmen: %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The recorder %1 could not be opened. %2</source>
        <translation>Der Brenner %1 konnte nicht geöffnet werden. %2</translation>
    </message>
    <message>
        <source>The current disc is not writable</source>
        <translation>Die eingelegte Disc ist nicht beschreibbar</translation>
    </message>
    <message>
        <source>The image %1 cannot be read</source>
        <translation>Das Abbild %1 kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>There is no recorder named %1</source>
        <translation>Es gibt keinen Brenner namens %1</translation>
    </message>
    <message>
        <source>The cue sheet %1 names no track files</source>
        <translation>Das Cue-Sheet %1 nennt keine Spurdateien</translation>
    </message>
    <message>
        <source>The cue-sheet writer cdrdao could not be run</source>
        <translation>Das Brennprogramm cdrdao konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>The recorder %1 was not found by cdrdao</source>
        <translation>cdrdao hat den Brenner %1 nicht gefunden</translation>
    </message>
    <message>
        <source>Writing...</source>
        <translation>Wird geschrieben...</translation>
    </message>
    <message>
        <source>The recorder is still writing</source>
        <translation>Der Brenner schreibt noch</translation>
    </message>
    <message>
        <source>The disc image %1 was not written.</source>
        <translation>Das Disc-Abbild %1 wurde nicht geschrieben.</translation>
    </message>
    <message>
        <source>The disc image %1 holds %2 bytes, not the %3 bytes written to it.</source>
        <translation>Das Disc-Abbild %1 enthält %2 Byte, nicht die %3 Byte, die hineingeschrieben wurden.</translation>
    </message>
    <message>
        <source>The disc image %1 does not read back as the disc that was written.</source>
        <translation>Das Disc-Abbild %1 lässt sich nicht als die geschriebene Disc zurücklesen.</translation>
    </message>
    <message>
        <source>The recorder %1 did not write the disc. %2</source>
        <translation>Der Brenner %1 hat die Disc nicht geschrieben. %2</translation>
    </message>
</context>
<context>
    <name>LibraryModel</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>DVD Title</source>
        <translation>DVD-Titel</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Kategorien</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>Your library could not be brought up to date (%1). Nothing in it was changed; CorvanaZELTA will try again the next time it starts.</source>
        <translation>Ihre Bibliothek konnte nicht aktualisiert werden (%1). Nichts darin wurde geändert; CorvanaZELTA versucht es beim nächsten Start erneut.</translation>
    </message>
    <message>
        <source>unknown database error</source>
        <translation>unbekannter Datenbankfehler</translation>
    </message>
    <message>
        <source>Cast</source>
        <translation>Darsteller</translation>
    </message>
    <message>
        <source>Watched</source>
        <translation>Gesehen</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
</context>
<context>
    <name>LibraryFilterView</name>
    <message>
        <source>Categories</source>
        <translation>Kategorien</translation>
    </message>
    <message>
        <source>DVD Titles</source>
        <translation>DVD-Titel</translation>
    </message>
</context>
<context>
    <name>LibraryTableSortModel</name>
    <message>
        <source>File missing</source>
        <translation>Datei fehlt</translation>
    </message>
</context>
<context>
    <name>LibraryTableView</name>
    <message>
        <source>My videos in detail</source>
        <translation>Meine Videos im Detail</translation>
    </message>
</context>
<context>
    <name>LibraryView</name>
    <message>
        <source>My videos</source>
        <translation>Meine Videos</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Brennen</translation>
    </message>
    <message>
        <source>Media Information</source>
        <translation>Medieninformationen</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner anzeigen</translation>
    </message>
    <message>
        <source>Add to Playlist</source>
        <translation>Zur Wiedergabeliste hinzufügen</translation>
    </message>
    <message>
        <source>There is no music folder to keep the playlist in. Set one up in your desktop&apos;s settings (Music) and try again.</source>
        <translation>Es gibt keinen Musikordner für die Wiedergabeliste. Richten Sie einen in den Einstellungen Ihres Desktops ein (Musik) und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Adding &quot;%1&quot; to the playlist...</source>
        <translation>„%1“ wird zur Wiedergabeliste hinzugefügt …</translation>
    </message>
    <message>
        <source>Mark as watched</source>
        <translation>Als gesehen markieren</translation>
    </message>
    <message>
        <source>Mark as not watched</source>
        <translation>Als nicht gesehen markieren</translation>
    </message>
</context>
<context>
    <name>LibraryWidget</name>
    <message>
        <source>not a video</source>
        <translation>kein Video</translation>
    </message>
    <message>
        <source>a link</source>
        <translation>ein Verweis</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>nicht lesbar</translation>
    </message>
    <message>
        <source>a system folder</source>
        <translation>ein Systemordner</translation>
    </message>
    <message>
        <source>the library&apos;s own folder</source>
        <translation>der Ordner der Bibliothek selbst</translation>
    </message>
    <message>
        <source>more than %1 folders deep</source>
        <translation>mehr als %1 Ordner tief</translation>
    </message>
    <message>
        <source>over the limit of %1 files</source>
        <translation>über der Grenze von %1 Dateien</translation>
    </message>
    <message>
        <source>not found</source>
        <translation>nicht gefunden</translation>
    </message>
    <message>
        <source>a subtitle that is a link</source>
        <translation>ein Untertitel, der ein Verweis ist</translation>
    </message>
    <message>
        <source>a subtitle over %1 MiB</source>
        <translation>ein Untertitel über %1 MiB</translation>
    </message>
    <message>
        <source>a subtitle of over %1 cues</source>
        <translation>ein Untertitel mit über %1 Einträgen</translation>
    </message>
    <message>
        <source>an unreadable subtitle</source>
        <translation>ein nicht lesbarer Untertitel</translation>
    </message>
    <message>
        <source>a subtitle without cues</source>
        <translation>ein Untertitel ohne Einträge</translation>
    </message>
    <message>
        <source>could not be copied into the library</source>
        <translation>konnte nicht in die Bibliothek kopiert werden</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: %1</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n übersprungen: %1</numerusform>
            <numerusform>%n übersprungen: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Import videos</source>
        <translation>Videos importieren</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Show the videos as a table with filters</source>
        <translation>Die Videos als Tabelle mit Filtern zeigen</translation>
    </message>
    <message>
        <source>Burn a disc</source>
        <translation>Eine Disc brennen</translation>
    </message>
    <message>
        <source>Watch on TV</source>
        <translation>Im Fernsehen ansehen</translation>
    </message>
    <message>
        <source>Watch on TV: share the library with televisions at home</source>
        <translation>Im Fernsehen ansehen: die Bibliothek für Fernseher im Heimnetz freigeben</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Dateien öffnen</translation>
    </message>
    <message>
        <source>Importing </source>
        <translation>Importiere </translation>
    </message>
    <message>
        <source> and other files...</source>
        <translation> und weitere Dateien...</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>AUS</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>EIN</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Brennen</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Import a folder of videos</source>
        <translation>Einen Ordner mit Videos importieren</translation>
    </message>
    <message>
        <source>Video (%1)</source>
        <translation>Video (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Import Folder</source>
        <translation>Ordner importieren</translation>
    </message>
    <message numerus="yes">
        <source>%n imported</source>
        <comment>videos</comment>
        <translation>
            <numerusform>%n importiert</numerusform>
            <numerusform>%n importiert</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: not a video</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n übersprungen: kein Video</numerusform>
            <numerusform>%n übersprungen: keine Videos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be copied</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n konnte nicht kopiert werden</numerusform>
            <numerusform>%n konnten nicht kopiert werden</numerusform>
        </translation>
    </message>
    <message>
        <source>Importing %1 (%2 of %3)...</source>
        <translation>%1 wird importiert (%2 von %3) …</translation>
    </message>
    <message>
        <source>%1: not a video</source>
        <translation>%1: kein Video</translation>
    </message>
    <message>
        <source>%1: could not be copied into the library</source>
        <translation>%1: konnte nicht in die Bibliothek kopiert werden</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <comment>files</comment>
        <translation>
            <numerusform>und %n weitere</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Corvana Zelta %1</source>
        <translation>Corvana Zelta %1</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Seitenleiste</translation>
    </message>
    <message>
        <source>Open log folder</source>
        <translation>Protokollordner öffnen</translation>
    </message>
    <message>
        <source>Inspect page</source>
        <translation>Seite untersuchen</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Abspielen oder anhalten</translation>
    </message>
    <message>
        <source>CorvanaZELTA</source>
        <translation>CorvanaZELTA</translation>
    </message>
    <message>
        <source>No downloads</source>
        <translation>Keine Downloads</translation>
    </message>
    <message>
        <source>Videos you download from the site appear here while they arrive.</source>
        <translation>Videos, die Sie von der Website herunterladen, erscheinen hier, während sie eintreffen.</translation>
    </message>
    <message>
        <source>Your library is empty</source>
        <translation>Ihre Bibliothek ist leer</translation>
    </message>
    <message>
        <source>Download videos from the site, or import your own with Import.</source>
        <translation>Laden Sie Videos von der Website herunter oder importieren Sie eigene mit „Importieren“.</translation>
    </message>
    <message>
        <source>Nothing is playing</source>
        <translation>Es wird nichts abgespielt</translation>
    </message>
    <message>
        <source>Choose a video in your library and press its play button.</source>
        <translation>Wählen Sie ein Video in Ihrer Bibliothek und drücken Sie seine Abspieltaste.</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Downloads are still running. They will continue the next time you start CorvanaZELTA. Quit now?</source>
        <translation>Es laufen noch Downloads. Sie werden beim nächsten Start von CorvanaZELTA fortgesetzt. Jetzt beenden?</translation>
    </message>
    <message>
        <source>Don&apos;t ask again</source>
        <translation>Nicht mehr fragen</translation>
    </message>
    <message>
        <source>%1 - Corvana Zelta %2</source>
        <translation>%1 - Corvana Zelta %2</translation>
    </message>
</context>
<context>
    <name>MediaVideoWidget</name>
    <message>
        <source>Video</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
</context>
<context>
    <name>MetaDataModel</name>
    <message>
        <source>All (%1)</source>
        <translation>Alle (%1)</translation>
    </message>
</context>
<context>
    <name>MissingVideoQuestion</name>
    <message>
        <source>Video File Missing</source>
        <translation>Videodatei fehlt</translation>
    </message>
    <message>
        <source>The video file &quot;%1&quot; is not there any more. It may have been moved, renamed or deleted.</source>
        <translation>Die Videodatei „%1“ ist nicht mehr da. Sie wurde vielleicht verschoben, umbenannt oder gelöscht.</translation>
    </message>
    <message>
        <source>The file of &quot;%1&quot; is missing.</source>
        <translation>Die Datei von „%1“ fehlt.</translation>
    </message>
    <message>
        <source>It was at %1 and may have been moved, renamed or deleted. Locate the file, or remove the video from the library.</source>
        <translation>Sie lag unter %1 und wurde vielleicht verschoben, umbenannt oder gelöscht. Suchen Sie die Datei oder entfernen Sie das Video aus der Bibliothek.</translation>
    </message>
    <message>
        <source>Locate...</source>
        <translation>Suchen...</translation>
    </message>
    <message>
        <source>Remove from library</source>
        <translation>Aus der Bibliothek entfernen</translation>
    </message>
    <message>
        <source>Locate &quot;%1&quot;</source>
        <translation>„%1“ suchen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the file of &quot;%2&quot; already. Choose the file of &quot;%3&quot;.</source>
        <translation>„%1“ ist bereits die Datei von „%2“. Wählen Sie die Datei von „%3“.</translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>The video could not be played (%1).</source>
        <translation>Das Video konnte nicht abgespielt werden (%1).</translation>
    </message>
    <message>
        <source>The video could not be played.</source>
        <translation>Das Video konnte nicht abgespielt werden.</translation>
    </message>
</context>
<context>
    <name>NetworkManager</name>
    <message>
        <source>SSL Errors:

%1

%2

Do you want to ignore these errors for this host?</source>
        <translation>SSL-Fehler:

%1

%2

Möchten Sie diese Fehler für diesen Server ignorieren?</translation>
    </message>
</context>
<context>
    <name>PlayProgressMark</name>
    <message>
        <source>%1% watched</source>
        <translation>%1 % gesehen</translation>
    </message>
    <message>
        <source>Watched</source>
        <translation>Gesehen</translation>
    </message>
</context>
<context>
    <name>Project</name>
    <message>
        <source>Media only supports %1</source>
        <translation>Das Medium fasst nur %1</translation>
    </message>
    <message>
        <source>Not enough space on drive</source>
        <translation>Nicht genug Platz auf dem Laufwerk</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>Details einblenden...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>Details ausblenden...</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Multiple Instances</source>
        <translation>Mehrere Instanzen</translation>
    </message>
    <message>
        <source>There can only be one instance of %1 running at a time</source>
        <translation>Es kann immer nur eine Instanz von %1 laufen</translation>
    </message>
</context>
<context>
    <name>RecorderComboBox</name>
    <message>
        <source>Recorders</source>
        <translation>Brenner</translation>
    </message>
</context>
<context>
    <name>RendererSession</name>
    <message>
        <source>The TV &quot;%1&quot; is no longer on the network.</source>
        <translation>Der Fernseher „%1“ ist nicht mehr im Netzwerk.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; refused the video&apos;s format (UPnP error %2).</source>
        <translation>Der Fernseher „%1“ hat das Format des Videos abgelehnt (UPnP-Fehler %2).</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; refused %2 (UPnP error %3: %4).</source>
        <translation>Der Fernseher „%1“ hat %2 abgelehnt (UPnP-Fehler %3: %4).</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; gave no usable answer to %2.</source>
        <translation>Der Fernseher „%1“ gab keine brauchbare Antwort auf %2.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; does not play this video&apos;s format.</source>
        <translation>Der Fernseher „%1“ spielt das Format dieses Videos nicht ab.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; did not start playing within %2 seconds.</source>
        <translation>Der Fernseher „%1“ hat nicht innerhalb von %2 Sekunden zu spielen begonnen.</translation>
    </message>
</context>
<context>
    <name>ResumeBar</name>
    <message>
        <source>Start over</source>
        <translation>Von vorn beginnen</translation>
    </message>
    <message>
        <source>Resumed at %1 —</source>
        <extracomment>The time where a video goes on, e.g. &quot;Resumed at 12:34&quot;; the button beside it says &quot;Start over&quot;.</extracomment>
        <translation>Fortgesetzt bei %1 –</translation>
    </message>
    <message>
        <source>Resumed at %1</source>
        <translation>Fortgesetzt bei %1</translation>
    </message>
</context>
<context>
    <name>SeekSlider</name>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
</context>
<context>
    <name>SidebarModel</name>
    <message>
        <source>Corvana</source>
        <translation>Corvana</translation>
    </message>
    <message>
        <source>Library</source>
        <translation>Bibliothek</translation>
    </message>
    <message>
        <source>My Library (%1)</source>
        <translation>Meine Bibliothek (%1)</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>Player</translation>
    </message>
    <message>
        <source>Downloads (%1)</source>
        <translation>Downloads (%1)</translation>
    </message>
</context>
<context>
    <name>StatusWidget</name>
    <message>
        <source>Importing files...</source>
        <translation>Dateien werden importiert...</translation>
    </message>
</context>
<context>
    <name>SubtitleChooser</name>
    <message>
        <source>Track %1</source>
        <translation>Spur %1</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Untertitel</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>No subtitles</source>
        <translation>Keine Untertitel</translation>
    </message>
</context>
<context>
    <name>TaskDelegate</name>
    <message>
        <source>Task progress</source>
        <translation>Fortschritt der Aufgabe</translation>
    </message>
</context>
<context>
    <name>Toolbar</name>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Vollbild verlassen</translation>
    </message>
</context>
<context>
    <name>TvMenu</name>
    <message>
        <source>Play on TV</source>
        <translation>Auf dem Fernseher abspielen</translation>
    </message>
    <message>
        <source>Looking for TVs on the home network…</source>
        <translation>Suche nach Fernsehern im Heimnetz…</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Dieser Computer</translation>
    </message>
</context>
<context>
    <name>TvMode</name>
    <message>
        <source>Playing</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Angehalten</translation>
    </message>
    <message>
        <source>The TV is loading the video…</source>
        <translation>Der Fernseher lädt das Video…</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Gestoppt</translation>
    </message>
    <message>
        <source>Play on TV</source>
        <translation>Auf dem Fernseher abspielen</translation>
    </message>
    <message>
        <source>The TV plays the video from this program&apos;s media server, which is off.</source>
        <translation>Der Fernseher spielt das Video vom Medienserver dieses Programms ab, und der ist aus.</translation>
    </message>
    <message>
        <source>Start the media server and play the video on %1?</source>
        <translation>Medienserver starten und das Video auf %1 abspielen?</translation>
    </message>
    <message>
        <source>the TV</source>
        <translation>dem Fernseher</translation>
    </message>
    <message>
        <source>Start the Media Server</source>
        <translation>Medienserver starten</translation>
    </message>
    <message>
        <source>The media server could not start, so the TV cannot fetch the video.</source>
        <translation>Der Medienserver konnte nicht starten, darum kann der Fernseher das Video nicht holen.</translation>
    </message>
    <message>
        <source>The TV is no longer on the network.</source>
        <translation>Der Fernseher ist nicht mehr im Netzwerk.</translation>
    </message>
    <message>
        <source>The media server does not offer this video: only videos in the library folder can play on a TV.</source>
        <translation>Der Medienserver bietet dieses Video nicht an: Nur Videos im Bibliotheksordner können auf einem Fernseher laufen.</translation>
    </message>
    <message>
        <source>Starting on the TV…</source>
        <translation>Start auf dem Fernseher…</translation>
    </message>
</context>
<context>
    <name>TvModePanel</name>
    <message>
        <source>Playing on a TV</source>
        <translation>Wiedergabe auf einem Fernseher</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stop on the TV</source>
        <translation>Auf dem Fernseher stoppen</translation>
    </message>
    <message>
        <source>Position on the TV</source>
        <translation>Stelle auf dem Fernseher</translation>
    </message>
    <message>
        <source>Volume of the TV</source>
        <translation>Lautstärke des Fernsehers</translation>
    </message>
    <message>
        <source>Sound of the TV off</source>
        <translation>Ton des Fernsehers aus</translation>
    </message>
    <message>
        <source>Sound of the TV on</source>
        <translation>Ton des Fernsehers an</translation>
    </message>
    <message>
        <source>Turn the TV&apos;s sound on</source>
        <translation>Ton des Fernsehers einschalten</translation>
    </message>
    <message>
        <source>Turn the TV&apos;s sound off</source>
        <translation>Ton des Fernsehers ausschalten</translation>
    </message>
    <message>
        <source>Back to this computer</source>
        <translation>Zurück auf diesen Computer</translation>
    </message>
    <message>
        <source>Stop on the TV and go on here at the same place</source>
        <translation>Auf dem Fernseher stoppen und hier an derselben Stelle weitermachen</translation>
    </message>
    <message>
        <source>Playing on %1</source>
        <extracomment>Under the video's title while a TV plays it, e.g. &quot;Playing on Living room TV&quot;.</extracomment>
        <translation>Wird auf %1 abgespielt</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Pause on the TV</source>
        <translation>Auf dem Fernseher anhalten</translation>
    </message>
    <message>
        <source>Play on the TV</source>
        <translation>Auf dem Fernseher abspielen</translation>
    </message>
</context>
<context>
    <name>VideoClipModel</name>
    <message>
        <source>Track</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Unknown language</source>
        <translation>Unbekannte Sprache</translation>
    </message>
    <message>
        <source>VCD and SVCD discs cannot carry subtitles.</source>
        <translation>VCDs und SVCDs können keine Untertitel enthalten.</translation>
    </message>
    <message>
        <source>These subtitles go on the disc; clear the box to leave them off.</source>
        <translation>Diese Untertitel kommen auf die Disc; entfernen Sie das Häkchen, um sie wegzulassen.</translation>
    </message>
    <message>
        <source>These subtitles are left off the disc.</source>
        <translation>Diese Untertitel kommen nicht auf die Disc.</translation>
    </message>
    <message>
        <source>Subtitles on the disc</source>
        <translation>Untertitel auf der Disc</translation>
    </message>
    <message>
        <source>Subtitles left off</source>
        <translation>Ohne Untertitel</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Untertitel</translation>
    </message>
</context>
<context>
    <name>VideoOverlay</name>
    <message>
        <source>Replay</source>
        <translation>Nochmal abspielen</translation>
    </message>
    <message>
        <source>Playback ended</source>
        <translation>Wiedergabe beendet</translation>
    </message>
</context>
<context>
    <name>VolumeSlider</name>
    <message>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
</context>
<context>
    <name>WebToolbar</name>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vorwärts</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Startseite</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Neu laden</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Wird geladen</translation>
    </message>
</context>
<context>
    <name>WebWidget</name>
    <message>
        <source>Importing files...</source>
        <translation>Dateien werden importiert...</translation>
    </message>
    <message>
        <source>Import status</source>
        <translation>Importstatus</translation>
    </message>
    <message>
        <source>Search All Channels</source>
        <translation>Alle Kanäle durchsuchen</translation>
    </message>
    <message>
        <source>Search...</source>
        <translation>Suchen...</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen...</translation>
    </message>
    <message>
        <source>The user name or password is not right.</source>
        <translation>Der Benutzername oder das Passwort stimmt nicht.</translation>
    </message>
    <message>
        <source>No new downloads: these videos are already in your library or in the download list.</source>
        <translation>Keine neuen Downloads: Diese Videos sind bereits in Ihrer Bibliothek oder in der Downloadliste.</translation>
    </message>
    <message>
        <source>1 download was queued. You find it under Downloads.</source>
        <translation>1 Download wurde eingereiht. Sie finden ihn unter „Downloads“.</translation>
    </message>
    <message>
        <source>%1 downloads were queued. You find them under Downloads.</source>
        <translation>%1 Downloads wurden eingereiht. Sie finden sie unter „Downloads“.</translation>
    </message>
</context>
<context>
    <name>ZR::ErrorReportDialog</name>
    <message>
        <source>An unexpected error has occurred</source>
        <translation>Ein unerwarteter Fehler ist aufgetreten</translation>
    </message>
    <message>
        <source>%1 has created an error report that you can send to help us improve the product. All reports are confidential and anonymous.</source>
        <translation>%1 hat einen Fehlerbericht erstellt, den Sie senden können, um uns bei der Verbesserung des Produkts zu helfen. Alle Berichte sind vertraulich und anonym.</translation>
    </message>
    <message>
        <source>Please describe what you were doing when this occurred:</source>
        <translation>Bitte beschreiben Sie, was Sie getan haben, als dies geschah:</translation>
    </message>
    <message>
        <source>Don&apos;t Send</source>
        <translation>Nicht senden</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Senden</translation>
    </message>
    <message>
        <source>Report to be sent</source>
        <translation>Zu sendender Bericht</translation>
    </message>
    <message>
        <source>The log file cannot be read; nothing can be sent.</source>
        <translation>Die Protokolldatei kann nicht gelesen werden; es kann nichts gesendet werden.</translation>
    </message>
</context>
</TS>
