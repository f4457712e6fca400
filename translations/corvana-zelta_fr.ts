<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>Application</name>
    <message>
        <source>This system does not support OpenSSL. SSL websites will not be available.</source>
        <translation>Ce système ne prend pas en charge OpenSSL. Les sites web SSL ne seront pas disponibles.</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n octet</numerusform>
            <numerusform>%n octets</numerusform>
        </translation>
    </message>
    <message>
        <source>kB</source>
        <translation>ko</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>Mo</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <comment>size and its unit</comment>
        <translation>%1&#xa0;%2</translation>
    </message>
    <message numerus="yes">
        <source>%n minute remaining</source>
        <translation>
            <numerusform>%n minute restante</numerusform>
            <numerusform>%n minutes restantes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes remaining</source>
        <translation>
            <numerusform>%n minute restante</numerusform>
            <numerusform>%n minutes restantes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second remaining</source>
        <translation>
            <numerusform>%n seconde restante</numerusform>
            <numerusform>%n secondes restantes</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds remaining</source>
        <translation>
            <numerusform>%n seconde restante</numerusform>
            <numerusform>%n secondes restantes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BurnQueue</name>
    <message>
        <source>Compiling DVD and burning to disc</source>
        <translation>Création du DVD et gravure sur le disque</translation>
    </message>
    <message>
        <source>Compiling (S)VCD and burning to disc</source>
        <translation>Création du (S)VCD et gravure sur le disque</translation>
    </message>
    <message>
        <source>Building DVD...</source>
        <translation>Création du DVD...</translation>
    </message>
    <message>
        <source>Building VCD...</source>
        <translation>Création du VCD...</translation>
    </message>
</context>
<context>
    <name>BurnStep</name>
    <message>
        <source>Tasks</source>
        <translation>Tâches</translation>
    </message>
    <message>
        <source>Cancel Operation</source>
        <translation>Annuler l&apos;opération</translation>
    </message>
    <message>
        <source>Discaveo is in the middle of an operation, are you sure you want to exit?</source>
        <translation>Discaveo est en pleine opération. Voulez-vous vraiment quitter&#xa0;?</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuer</translation>
    </message>
    <message>
        <source>Would you like to continue?</source>
        <translation>Voulez-vous continuer&#xa0;?</translation>
    </message>
    <message>
        <source>Burning is complete!</source>
        <translation>La gravure est terminée&#xa0;!</translation>
    </message>
    <message>
        <source>Discaveo has completed the burning operation, enjoy your media.</source>
        <translation>Discaveo a terminé la gravure. Profitez bien de vos vidéos.</translation>
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
        <translation>Précédent</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Put your videos on a disc</source>
        <translation>Gravez vos vidéos sur un disque</translation>
    </message>
</context>
<context>
    <name>ConvertTask</name>
    <message>
        <source>Converting to MPEG</source>
        <translation>Conversion en MPEG</translation>
    </message>
    <message>
        <source>Unsupported format</source>
        <translation>Format non pris en charge</translation>
    </message>
    <message>
        <source>The file %1 contains a track with an unsupported format</source>
        <translation>Le fichier %1 contient une piste dans un format non pris en charge</translation>
    </message>
    <message>
        <source>Conversion Error</source>
        <translation>Erreur de conversion</translation>
    </message>
    <message>
        <source>The file %1 has failed conversion.</source>
        <translation>La conversion du fichier %1 a échoué.</translation>
    </message>
</context>
<context>
    <name>CorvHeaderView</name>
    <message>
        <source>Sort by</source>
        <translation>Trier par</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
</context>
<context>
    <name>CorvLibSearchWidget</name>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
    <message>
        <source>Search My Library</source>
        <translation>Rechercher dans ma bibliothèque</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Effacer la recherche</translation>
    </message>
</context>
<context>
    <name>CorvLibraryItemWidget</name>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Plus</translation>
    </message>
    <message numerus="yes">
        <source>%n mins</source>
        <comment>play length in minutes</comment>
        <translation>
            <numerusform>%n min</numerusform>
            <numerusform>%n min</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n sec</source>
        <comment>play length in seconds</comment>
        <translation>
            <numerusform>%n s</numerusform>
            <numerusform>%n s</numerusform>
        </translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Êtes-vous sûr&#xa0;?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this video?</source>
        <translation>Voulez-vous vraiment supprimer cette vidéo&#xa0;?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &quot;%1&quot;?</source>
        <translation>Voulez-vous vraiment supprimer « %1 » ?</translation>
    </message>
    <message>
        <source>File missing</source>
        <translation>Fichier manquant</translation>
    </message>
</context>
<context>
    <name>CorvMediaInformationEditDialog</name>
    <message>
        <source>Media Information</source>
        <translation>Informations sur la vidéo</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titre</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Mots-clés</translation>
    </message>
    <message>
        <source>Cast</source>
        <translation>Interprètes</translation>
    </message>
</context>
<context>
    <name>CorvWebSearchWidget</name>
    <message>
        <source>Search...</source>
        <translation>Rechercher...</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Rechercher</translation>
    </message>
</context>
<context>
    <name>CreateDVDTask</name>
    <message>
        <source>Unable to create DVD</source>
        <translation>Impossible de créer le DVD</translation>
    </message>
    <message>
        <source>The menu could not be written to %1.</source>
        <translation>Le menu n&apos;a pas pu être écrit dans %1.</translation>
    </message>
    <message>
        <source>The disc menu has no room for %1 videos.</source>
        <translation>Le menu du disque n&apos;a pas de place pour %1 vidéos.</translation>
    </message>
    <message>
        <source>The file %1 was not created.</source>
        <translation>Le fichier %1 n&apos;a pas été créé.</translation>
    </message>
    <message>
        <source>Error with ppmconverter</source>
        <translation>Erreur du convertisseur ppmconverter</translation>
    </message>
    <message>
        <source>Error with y4mconverter</source>
        <translation>Erreur du convertisseur y4mconverter</translation>
    </message>
    <message>
        <source>Error with mpgconverter</source>
        <translation>Erreur du convertisseur mpgconverter</translation>
    </message>
    <message>
        <source>Error with multiplexer</source>
        <translation>Erreur du multiplexeur</translation>
    </message>
    <message>
        <source>Error with subtitler</source>
        <translation>Erreur du sous-titreur</translation>
    </message>
    <message>
        <source>Error with cdcreator</source>
        <translation>Erreur du créateur de CD cdcreator</translation>
    </message>
</context>
<context>
    <name>CreateVCDTask</name>
    <message>
        <source>Error with vcdgenerator</source>
        <translation>Erreur du générateur vcdgenerator</translation>
    </message>
    <message>
        <source>Error with vcdbuilder</source>
        <translation>Erreur du constructeur vcdbuilder</translation>
    </message>
    <message>
        <source>The file %1 was not created.</source>
        <translation>Le fichier %1 n&apos;a pas été créé.</translation>
    </message>
</context>
<context>
    <name>CustomWebInspector</name>
    <message>
        <source>Web Inspector</source>
        <translation>Inspecteur web</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Download failed</source>
        <translation>Échec du téléchargement</translation>
    </message>
    <message>
        <source>Download finished</source>
        <translation>Téléchargement terminé</translation>
    </message>
    <message>
        <source>Disc finished</source>
        <translation>Disque terminé</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Afficher</translation>
    </message>
</context>
<context>
    <name>DeviceController</name>
    <message>
        <source>Validating media...</source>
        <translation>Vérification du disque...</translation>
    </message>
    <message>
        <source>Formatting media...</source>
        <translation>Formatage du disque...</translation>
    </message>
    <message>
        <source>Initializing hardware... </source>
        <translation>Initialisation du matériel... </translation>
    </message>
    <message>
        <source>Calibrating power...</source>
        <translation>Calibrage de la puissance...</translation>
    </message>
    <message>
        <source>Writing Disc...</source>
        <translation>Écriture du disque...</translation>
    </message>
    <message>
        <source>Finishing writing operation...</source>
        <translation>Finalisation de l&apos;écriture...</translation>
    </message>
</context>
<context>
    <name>DiscSetupDialog</name>
    <message>
        <source>Waiting for a disc to be inserted...</source>
        <translation>En attente de l&apos;insertion d&apos;un disque...</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Graver</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Graveur</translation>
    </message>
    <message>
        <source>Disc status</source>
        <translation>État du disque</translation>
    </message>
    <message>
        <source>Burn disc</source>
        <translation>Graver le disque</translation>
    </message>
    <message>
        <source>Eject</source>
        <translation>Éjecter</translation>
    </message>
    <message>
        <source>Eject disc</source>
        <translation>Éjecter le disque</translation>
    </message>
    <message>
        <source>Image File...</source>
        <translation>Fichier image...</translation>
    </message>
    <message>
        <source>Write to an image file</source>
        <translation>Écrire dans un fichier image</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Cancel disc setup</source>
        <translation>Annuler la préparation du disque</translation>
    </message>
    <message>
        <source>Burn Disc In:</source>
        <translation>Graver le disque dans&#xa0;:</translation>
    </message>
    <message>
        <source>Please insert a valid disc</source>
        <translation>Veuillez insérer un disque valide</translation>
    </message>
    <message>
        <source>The current disc is not writable</source>
        <translation>Le disque inséré n&apos;est pas inscriptible</translation>
    </message>
    <message>
        <source>Ready to burn.</source>
        <translation>Prêt à graver.</translation>
    </message>
    <message>
        <source>Write to Image File</source>
        <translation>Écrire dans un fichier image</translation>
    </message>
    <message>
        <source>Disc Images (*.iso *.bin);;All Files (*)</source>
        <translation>Images disque (*.iso *.bin);;Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>The disc image cannot be written to %1. Choose a file in a folder you can write to.</source>
        <translation>L’image disque ne peut pas être écrite dans %1. Choisissez un fichier dans un dossier où vous pouvez écrire.</translation>
    </message>
</context>
<context>
    <name>DvdMenu</name>
    <message>
        <source>Play All</source>
        <translation>Tout lire</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Sous-titres</translation>
    </message>
    <message>
        <source>Unknown language</source>
        <translation>Langue inconnue</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivés</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Retour</translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>Queued</source>
        <translation>En attente</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Téléchargement en cours</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Terminé</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pause</translation>
    </message>
    <message>
        <source>Waiting to retry</source>
        <translation>En attente d’un nouvel essai</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Échec</translation>
    </message>
    <message>
        <source>a file named &quot;%1&quot; is in the way</source>
        <translation>un fichier nommé « %1 » gêne</translation>
    </message>
    <message>
        <source>its folder &quot;%1&quot; cannot be made</source>
        <translation>son dossier « %1 » ne peut pas être créé</translation>
    </message>
    <message>
        <source>its media address is not a web address</source>
        <translation>son adresse de média n&apos;est pas une adresse web</translation>
    </message>
    <message>
        <source>its address is not a web address</source>
        <translation>son adresse n’est pas une adresse web</translation>
    </message>
    <message>
        <source>the site sent it elsewhere without a usable address</source>
        <translation>le site l’a redirigé sans adresse utilisable</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>trop de redirections</translation>
    </message>
</context>
<context>
    <name>DownloadFailure</name>
    <message>
        <source>The site no longer offers this video</source>
        <translation>Le site ne propose plus cette vidéo</translation>
    </message>
    <message>
        <source>The site did not accept your user name or password for &quot;%1&quot;. Sign in again, then retry.</source>
        <translation>Le site n&apos;a pas accepté votre nom d&apos;utilisateur ou votre mot de passe pour «&#xa0;%1&#xa0;». Reconnectez-vous, puis réessayez.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not found on the site.</source>
        <translation>«&#xa0;%1&#xa0;» est introuvable sur le site.</translation>
    </message>
    <message>
        <source>The site had a problem sending &quot;%1&quot; (error %2). The download is tried again by itself.</source>
        <translation>Le site a eu un problème pour envoyer «&#xa0;%1&#xa0;» (erreur %2). Le téléchargement sera relancé automatiquement.</translation>
    </message>
    <message>
        <source>the site answered %1</source>
        <translation>le site a répondu %1</translation>
    </message>
    <message>
        <source>network error %1</source>
        <translation>erreur réseau %1</translation>
    </message>
    <message>
        <source>The disk is full: &quot;%1&quot; could not be written in %2 (%3). The part already downloaded is kept.</source>
        <translation>Le disque est plein : « %1 » n’a pas pu être écrit dans %2 (%3). La partie déjà téléchargée est conservée.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to (%2): &quot;%3&quot; was not saved. The part already downloaded is kept.</source>
        <translation>Impossible d&apos;écrire dans le dossier %1 (%2)&#xa0;: «&#xa0;%3&#xa0;» n&apos;a pas été enregistré. La partie déjà téléchargée est conservée.</translation>
    </message>
    <message>
        <source>Not enough disk space for &quot;%1&quot;: needs %2, %3 free in %4.</source>
        <translation>Espace disque insuffisant pour «&#xa0;%1&#xa0;»&#xa0;: %2 nécessaires, %3 libres dans %4.</translation>
    </message>
    <message>
        <source>No connection to the site for &quot;%1&quot;. The download goes on by itself when the connection is back.</source>
        <translation>Pas de connexion au site pour «&#xa0;%1&#xa0;». Le téléchargement reprendra automatiquement au retour de la connexion.</translation>
    </message>
    <message>
        <source>The download of &quot;%1&quot; failed (%2).</source>
        <translation>Le téléchargement de «&#xa0;%1&#xa0;» a échoué (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not downloaded: the site&apos;s certificate was not trusted, so the connection could not be made secure.</source>
        <translation>«&#xa0;%1&#xa0;» n&apos;a pas été téléchargé&#xa0;: le certificat du site n&apos;est pas reconnu, la connexion n&apos;a donc pas pu être sécurisée.</translation>
    </message>
</context>
<context>
    <name>DownloadHelper</name>
    <message>
        <source>the site&apos;s answer does not continue the part on disk</source>
        <translation>la réponse du site ne prolonge pas la partie sur le disque</translation>
    </message>
</context>
<context>
    <name>DownloadCard</name>
    <message>
        <source>Remove</source>
        <translation>Supprimer</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Loading download...</source>
        <translation>Chargement du téléchargement...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Reprendre</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Status: &lt;font color=&apos;%1&apos;&gt;%2&lt;/font&gt;</source>
        <translation>État&#xa0;: &lt;font color=&apos;%1&apos;&gt;%2&lt;/font&gt;</translation>
    </message>
    <message>
        <source>CorvanaZELTA</source>
        <translation>CorvanaZELTA</translation>
    </message>
    <message>
        <source>Are you sure you want to remove this download?</source>
        <translation>Voulez-vous vraiment retirer ce téléchargement&#xa0;?</translation>
    </message>
    <message>
        <source>Starring: %1</source>
        <translation>Interprètes&#xa0;: %1</translation>
    </message>
    <message>
        <source>Tags: %1</source>
        <translation>Mots-clés&#xa0;: %1</translation>
    </message>
    <message>
        <source>Sign In</source>
        <translation>Se connecter</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Réessayer</translation>
    </message>
</context>
<context>
    <name>DownloadManager</name>
    <message>
        <source>%1: %2</source>
        <translation>%1 : %2</translation>
    </message>
    <message>
        <source>its announced size of %1 bytes cannot be a video&apos;s</source>
        <translation>sa taille annoncée de %1 octets ne peut pas être celle d&apos;une vidéo</translation>
    </message>
    <message>
        <source>it is in your library already</source>
        <translation>elle est déjà dans votre bibliothèque</translation>
    </message>
    <message>
        <source>Videos Skipped</source>
        <translation>Vidéos ignorées</translation>
    </message>
    <message>
        <source>This video was not downloaded:
%1</source>
        <translation>Cette vidéo n&apos;a pas été téléchargée :
%1</translation>
    </message>
    <message>
        <source>These videos were not downloaded:
%1</source>
        <translation>Ces vidéos n&apos;ont pas été téléchargées :
%1</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Fichier existant</translation>
    </message>
    <message>
        <source>You have already downloaded this video</source>
        <translation>Vous avez déjà téléchargé cette vidéo</translation>
    </message>
    <message>
        <source>Download Failed</source>
        <translation>Échec du téléchargement</translation>
    </message>
    <message>
        <source>The file %1 could not be read.</source>
        <translation>Le fichier %1 n&apos;a pas pu être lu.</translation>
    </message>
    <message>
        <source>its media address is not a web address</source>
        <translation>son adresse de média n&apos;est pas une adresse web</translation>
    </message>
    <message>
        <source>the download list is full</source>
        <translation>la liste des téléchargements est pleine</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>Êtes-vous sûr&#xa0;?</translation>
    </message>
    <message>
        <source>Are you sure you want to remove all downloads?</source>
        <translation>Voulez-vous vraiment retirer tous les téléchargements&#xa0;?</translation>
    </message>
    <message>
        <source>The download list at %1 was not opened: it is not an address of the site.</source>
        <translation>La liste de téléchargement %1 n&apos;a pas été ouverte&#xa0;: ce n&apos;est pas une adresse du site.</translation>
    </message>
    <message>
        <source>its file type &quot;%1&quot; is not a video type</source>
        <translation>son type de fichier «&#xa0;%1&#xa0;» n&apos;est pas un type vidéo</translation>
    </message>
    <message>
        <source>%1 was not downloaded: %2.</source>
        <translation>%1 n&apos;a pas été téléchargé&#xa0;: %2.</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>%1 of %2 (%3/sec) - %4</source>
        <translation>%1 sur %2 (%3/s) - %4</translation>
    </message>
</context>
<context>
    <name>DownloadView</name>
    <message>
        <source>Downloads</source>
        <translation>Téléchargements</translation>
    </message>
</context>
<context>
    <name>DownloadWidget</name>
    <message>
        <source>Alternative Speed</source>
        <translation>Vitesse alternative</translation>
    </message>
    <message>
        <source>Download at the alternative speed limit now, whatever the schedule says</source>
        <translation>Télécharger maintenant à la vitesse limite alternative, quel que soit le planning</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Téléchargements</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>Tout retirer</translation>
    </message>
    <message>
        <source>Pause All</source>
        <translation>Tout mettre en pause</translation>
    </message>
    <message>
        <source>Resume All</source>
        <translation>Tout reprendre</translation>
    </message>
</context>
<context>
    <name>FileStep</name>
    <message>
        <source>Add</source>
        <translation>Ajouter</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Monter</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Descendre</translation>
    </message>
    <message>
        <source>Add files</source>
        <translation>Ajouter des fichiers</translation>
    </message>
    <message>
        <source>Remove file</source>
        <translation>Retirer le fichier</translation>
    </message>
    <message>
        <source>Move file up</source>
        <translation>Monter le fichier</translation>
    </message>
    <message>
        <source>Move file down</source>
        <translation>Descendre le fichier</translation>
    </message>
    <message>
        <source>Files on the disc</source>
        <translation>Fichiers du disque</translation>
    </message>
    <message>
        <source>Disc title</source>
        <translation>Titre du disque</translation>
    </message>
    <message>
        <source>TV format</source>
        <translation>Norme TV</translation>
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
        <source>Disc type</source>
        <translation>Type de disque</translation>
    </message>
    <message>
        <source>DVD Video Disc</source>
        <translation>DVD vidéo</translation>
    </message>
    <message>
        <source>Dual Layer DVD Video Disc</source>
        <translation>DVD vidéo double couche</translation>
    </message>
    <message>
        <source>VCD Video Disc</source>
        <translation>VCD vidéo</translation>
    </message>
    <message>
        <source>SVCD Video Disc</source>
        <translation>SVCD vidéo</translation>
    </message>
    <message>
        <source>Total tracks</source>
        <translation>Nombre de pistes</translation>
    </message>
    <message>
        <source>Total time</source>
        <translation>Durée totale</translation>
    </message>
    <message>
        <source>Play time used</source>
        <translation>Durée utilisée</translation>
    </message>
    <message>
        <source>Add/Remove Files:</source>
        <translation>Ajouter ou retirer des fichiers&#xa0;:</translation>
    </message>
    <message>
        <source>Change File Order:</source>
        <translation>Changer l&apos;ordre des fichiers&#xa0;:</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titre&#xa0;:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Norme&#xa0;:</translation>
    </message>
    <message>
        <source>Disc Type:</source>
        <translation>Type de disque&#xa0;:</translation>
    </message>
    <message>
        <source>Total Tracks:</source>
        <translation>Nombre de pistes&#xa0;:</translation>
    </message>
    <message>
        <source>Total Time:</source>
        <translation>Durée totale&#xa0;:</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Graver</translation>
    </message>
    <message>
        <source>Add Videos</source>
        <translation>Ajouter des vidéos</translation>
    </message>
    <message>
        <source>Video Files (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;All Files (*.*)</source>
        <translation>Fichiers vidéo (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;Tous les fichiers (*.*)</translation>
    </message>
    <message>
        <source>These files cannot be read as videos and were not added:</source>
        <translation>Ces fichiers ne peuvent pas être lus comme des vidéos et n’ont pas été ajoutés :</translation>
    </message>
    <message>
        <source>VCD and SVCD discs cannot carry subtitles: these videos go on the disc without them.</source>
        <translation>Les VCD et SVCD ne peuvent pas contenir de sous-titres : ces vidéos seront gravées sans eux.</translation>
    </message>
    <message>
        <source>Subtitles go on the disc for the player to switch on. Clear a video&apos;s box in the Subtitles column to leave them off.</source>
        <translation>Les sous-titres sont gravés sur le disque et s&apos;activent dans le lecteur. Décochez la case d&apos;une vidéo dans la colonne Sous-titres pour les omettre.</translation>
    </message>
</context>
<context>
    <name>IntegrityChecker</name>
    <message>
        <source>Rebuilding library (%1 files)...</source>
        <translation>Reconstruction de la bibliothèque (%1 fichiers)...</translation>
    </message>
</context>
<context>
    <name>LibburnDeviceController</name>
    <message>
        <source>The image %1 cannot be read: %2</source>
        <translation>L&apos;image %1 ne peut pas être lue&#xa0;: %2</translation>
    </message>
    <message>
        <source>The disc cannot take this image: %1</source>
        <translation>Le disque ne peut pas recevoir cette image&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1&#xa0;: %2</translation>
    </message>
    <message>
        <source>The recorder %1 could not be opened. %2</source>
        <translation>Le graveur %1 n&apos;a pas pu être ouvert. %2</translation>
    </message>
    <message>
        <source>The current disc is not writable</source>
        <translation>Le disque inséré n&apos;est pas inscriptible</translation>
    </message>
    <message>
        <source>The image %1 cannot be read</source>
        <translation>L&apos;image %1 ne peut pas être lue</translation>
    </message>
    <message>
        <source>There is no recorder named %1</source>
        <translation>Aucun graveur ne s&apos;appelle %1</translation>
    </message>
    <message>
        <source>The recorder is still writing</source>
        <translation>Le graveur est encore en train d&apos;écrire</translation>
    </message>
    <message>
        <source>The cue sheet %1 names no track files</source>
        <translation>La feuille de pistes %1 ne nomme aucun fichier de piste</translation>
    </message>
    <message>
        <source>The cue-sheet writer cdrdao could not be run</source>
        <translation>Le programme de gravure cdrdao n&apos;a pas pu être lancé</translation>
    </message>
    <message>
        <source>The recorder %1 was not found by cdrdao</source>
        <translation>cdrdao n&apos;a pas trouvé le graveur %1</translation>
    </message>
    <message>
        <source>Writing...</source>
        <translation>Écriture...</translation>
    </message>
    <message>
        <source>The disc image %1 was not written.</source>
        <translation>L’image disque %1 n’a pas été écrite.</translation>
    </message>
    <message>
        <source>The disc image %1 holds %2 bytes, not the %3 bytes written to it.</source>
        <translation>L’image disque %1 contient %2 octets, et non les %3 octets qui y ont été écrits.</translation>
    </message>
    <message>
        <source>The disc image %1 does not read back as the disc that was written.</source>
        <translation>L’image disque %1 ne se relit pas comme le disque qui a été écrit.</translation>
    </message>
    <message>
        <source>The recorder %1 did not write the disc. %2</source>
        <translation>Le graveur %1 n&apos;a pas écrit le disque. %2</translation>
    </message>
</context>
<context>
    <name>LibraryModel</name>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>DVD Title</source>
        <translation>Titre du DVD</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Catégories</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Your library could not be brought up to date (%1). Nothing in it was changed; CorvanaZELTA will try again the next time it starts.</source>
        <translation>Votre bibliothèque n&apos;a pas pu être mise à jour (%1). Rien n&apos;y a été modifié&#xa0;; CorvanaZELTA réessaiera au prochain démarrage.</translation>
    </message>
    <message>
        <source>unknown database error</source>
        <translation>erreur de base de données inconnue</translation>
    </message>
    <message>
        <source>Cast</source>
        <translation>Interprètes</translation>
    </message>
    <message>
        <source>Watched</source>
        <translation>Vu</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progression</translation>
    </message>
</context>
<context>
    <name>LibraryFilterView</name>
    <message>
        <source>Categories</source>
        <translation>Catégories</translation>
    </message>
    <message>
        <source>DVD Titles</source>
        <translation>Titres de DVD</translation>
    </message>
</context>
<context>
    <name>LibraryTableSortModel</name>
    <message>
        <source>File missing</source>
        <translation>Fichier manquant</translation>
    </message>
</context>
<context>
    <name>LibraryTableView</name>
    <message>
        <source>My videos in detail</source>
        <translation>Mes vidéos en détail</translation>
    </message>
</context>
<context>
    <name>LibraryView</name>
    <message>
        <source>My videos</source>
        <translation>Mes vidéos</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Graver</translation>
    </message>
    <message>
        <source>Media Information</source>
        <translation>Informations sur la vidéo</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Afficher dans le dossier</translation>
    </message>
    <message>
        <source>Add to Playlist</source>
        <translation>Ajouter à la liste de lecture</translation>
    </message>
    <message>
        <source>There is no music folder to keep the playlist in. Set one up in your desktop&apos;s settings (Music) and try again.</source>
        <translation>Il n’y a pas de dossier de musique pour la liste de lecture. Configurez-en un dans les paramètres de votre bureau (Musique) et réessayez.</translation>
    </message>
    <message>
        <source>Adding &quot;%1&quot; to the playlist...</source>
        <translation>Ajout de « %1 » à la liste de lecture…</translation>
    </message>
    <message>
        <source>Mark as watched</source>
        <translation>Marquer comme vu</translation>
    </message>
    <message>
        <source>Mark as not watched</source>
        <translation>Marquer comme non vu</translation>
    </message>
</context>
<context>
    <name>LibraryWidget</name>
    <message>
        <source>not a video</source>
        <translation>pas une vidéo</translation>
    </message>
    <message>
        <source>a link</source>
        <translation>un lien</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>pas un fichier ordinaire</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>illisible</translation>
    </message>
    <message>
        <source>a system folder</source>
        <translation>un dossier système</translation>
    </message>
    <message>
        <source>the library&apos;s own folder</source>
        <translation>le dossier de la bibliothèque elle-même</translation>
    </message>
    <message>
        <source>more than %1 folders deep</source>
        <translation>à plus de %1 dossiers de profondeur</translation>
    </message>
    <message>
        <source>over the limit of %1 files</source>
        <translation>au-delà de la limite de %1 fichiers</translation>
    </message>
    <message>
        <source>not found</source>
        <translation>introuvable</translation>
    </message>
    <message>
        <source>a subtitle that is a link</source>
        <translation>un sous-titre qui est un lien</translation>
    </message>
    <message>
        <source>a subtitle over %1 MiB</source>
        <translation>un sous-titre de plus de %1 Mio</translation>
    </message>
    <message>
        <source>a subtitle of over %1 cues</source>
        <translation>un sous-titre de plus de %1 répliques</translation>
    </message>
    <message>
        <source>an unreadable subtitle</source>
        <translation>un sous-titre illisible</translation>
    </message>
    <message>
        <source>a subtitle without cues</source>
        <translation>un sous-titre sans répliques</translation>
    </message>
    <message>
        <source>could not be copied into the library</source>
        <translation>n'a pas pu être copié dans la bibliothèque</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: %1</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n ignoré : %1</numerusform>
            <numerusform>%n ignorés : %1</numerusform>
        </translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>NON</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>OUI</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importer</translation>
    </message>
    <message>
        <source>Import videos</source>
        <translation>Importer des vidéos</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Détails</translation>
    </message>
    <message>
        <source>Show the videos as a table with filters</source>
        <translation>Afficher les vidéos dans un tableau avec des filtres</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Graver</translation>
    </message>
    <message>
        <source>Burn a disc</source>
        <translation>Graver un disque</translation>
    </message>
    <message>
        <source>Watch on TV</source>
        <translation>Regarder sur la télé</translation>
    </message>
    <message>
        <source>Watch on TV: share the library with televisions at home</source>
        <translation>Regarder sur la télé&#xa0;: partager la bibliothèque avec les téléviseurs de la maison</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Ouvrir des fichiers</translation>
    </message>
    <message>
        <source>Importing </source>
        <translation>Importation de </translation>
    </message>
    <message>
        <source> and other files...</source>
        <translation> et d&apos;autres fichiers...</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Dossier</translation>
    </message>
    <message>
        <source>Import a folder of videos</source>
        <translation>Importer un dossier de vidéos</translation>
    </message>
    <message>
        <source>Video (%1)</source>
        <translation>Vidéo (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Tous les fichiers (*)</translation>
    </message>
    <message>
        <source>Import Folder</source>
        <translation>Importer un dossier</translation>
    </message>
    <message numerus="yes">
        <source>%n imported</source>
        <comment>videos</comment>
        <translation>
            <numerusform>%n importée</numerusform>
            <numerusform>%n importées</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: not a video</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n ignoré : pas une vidéo</numerusform>
            <numerusform>%n ignorés : pas des vidéos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be copied</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n n’a pas pu être copié</numerusform>
            <numerusform>%n n’ont pas pu être copiés</numerusform>
        </translation>
    </message>
    <message>
        <source>Importing %1 (%2 of %3)...</source>
        <translation>Importation de %1 (%2 sur %3)…</translation>
    </message>
    <message>
        <source>%1: not a video</source>
        <translation>%1 : pas une vidéo</translation>
    </message>
    <message>
        <source>%1: could not be copied into the library</source>
        <translation>%1 : n’a pas pu être copié dans la bibliothèque</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <comment>files</comment>
        <translation>
            <numerusform>et %n autre</numerusform>
            <numerusform>et %n autres</numerusform>
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
        <translation>Pages</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Barre latérale</translation>
    </message>
    <message>
        <source>Open log folder</source>
        <translation>Ouvrir le dossier du journal</translation>
    </message>
    <message>
        <source>Inspect page</source>
        <translation>Inspecter la page</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Lecture ou pause</translation>
    </message>
    <message>
        <source>No downloads</source>
        <translation>Aucun téléchargement</translation>
    </message>
    <message>
        <source>Videos you download from the site appear here while they arrive.</source>
        <translation>Les vidéos que vous téléchargez depuis le site s&apos;affichent ici pendant leur arrivée.</translation>
    </message>
    <message>
        <source>Your library is empty</source>
        <translation>Votre bibliothèque est vide</translation>
    </message>
    <message>
        <source>Download videos from the site, or import your own with Import.</source>
        <translation>Téléchargez des vidéos depuis le site ou importez les vôtres avec Importer.</translation>
    </message>
    <message>
        <source>Nothing is playing</source>
        <translation>Aucune lecture en cours</translation>
    </message>
    <message>
        <source>Choose a video in your library and press its play button.</source>
        <translation>Choisissez une vidéo dans votre bibliothèque et appuyez sur son bouton de lecture.</translation>
    </message>
    <message>
        <source>CorvanaZELTA</source>
        <translation>CorvanaZELTA</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Plein écran</translation>
    </message>
    <message>
        <source>Downloads are still running. They will continue the next time you start CorvanaZELTA. Quit now?</source>
        <translation>Des téléchargements sont en cours. Ils reprendront au prochain démarrage de CorvanaZELTA. Quitter maintenant&#xa0;?</translation>
    </message>
    <message>
        <source>Don&apos;t ask again</source>
        <translation>Ne plus demander</translation>
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
        <translation>Vidéo</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Plein écran</translation>
    </message>
</context>
<context>
    <name>MetaDataModel</name>
    <message>
        <source>All (%1)</source>
        <translation>Tous (%1)</translation>
    </message>
</context>
<context>
    <name>MissingVideoQuestion</name>
    <message>
        <source>Video File Missing</source>
        <translation>Fichier vidéo manquant</translation>
    </message>
    <message>
        <source>The video file &quot;%1&quot; is not there any more. It may have been moved, renamed or deleted.</source>
        <translation>Le fichier vidéo « %1 » n&apos;est plus là. Il a peut-être été déplacé, renommé ou supprimé.</translation>
    </message>
    <message>
        <source>The file of &quot;%1&quot; is missing.</source>
        <translation>Le fichier de « %1 » est manquant.</translation>
    </message>
    <message>
        <source>It was at %1 and may have been moved, renamed or deleted. Locate the file, or remove the video from the library.</source>
        <translation>Il se trouvait dans %1 et a peut-être été déplacé, renommé ou supprimé. Retrouvez le fichier ou retirez la vidéo de la bibliothèque.</translation>
    </message>
    <message>
        <source>Locate...</source>
        <translation>Retrouver...</translation>
    </message>
    <message>
        <source>Remove from library</source>
        <translation>Retirer de la bibliothèque</translation>
    </message>
    <message>
        <source>Locate &quot;%1&quot;</source>
        <translation>Retrouver « %1 »</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the file of &quot;%2&quot; already. Choose the file of &quot;%3&quot;.</source>
        <translation>« %1 » est déjà le fichier de « %2 ». Choisissez le fichier de « %3 ».</translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>The video could not be played (%1).</source>
        <translation>La vidéo n’a pas pu être lue (%1).</translation>
    </message>
    <message>
        <source>The video could not be played.</source>
        <translation>La vidéo n’a pas pu être lue.</translation>
    </message>
</context>
<context>
    <name>NetworkManager</name>
    <message>
        <source>SSL Errors:

%1

%2

Do you want to ignore these errors for this host?</source>
        <translation>Erreurs SSL&#xa0;:

%1

%2

Voulez-vous ignorer ces erreurs pour ce serveur&#xa0;?</translation>
    </message>
</context>
<context>
    <name>PlayProgressMark</name>
    <message>
        <source>%1% watched</source>
        <translation>%1 % vu</translation>
    </message>
    <message>
        <source>Watched</source>
        <translation>Vu</translation>
    </message>
</context>
<context>
    <name>Project</name>
    <message>
        <source>Media only supports %1</source>
        <translation>Le disque n&apos;accepte que %1</translation>
    </message>
    <message>
        <source>Not enough space on drive</source>
        <translation>Espace insuffisant sur le disque dur</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>Afficher les détails...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>Masquer les détails...</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Multiple Instances</source>
        <translation>Plusieurs instances</translation>
    </message>
    <message>
        <source>There can only be one instance of %1 running at a time</source>
        <translation>Une seule instance de %1 peut être lancée à la fois</translation>
    </message>
</context>
<context>
    <name>RecorderComboBox</name>
    <message>
        <source>Recorders</source>
        <translation>Graveurs</translation>
    </message>
</context>
<context>
    <name>RendererSession</name>
    <message>
        <source>The TV &quot;%1&quot; is no longer on the network.</source>
        <translation>La télé « %1 » n&apos;est plus sur le réseau.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; refused the video&apos;s format (UPnP error %2).</source>
        <translation>La télé « %1 » a refusé le format de la vidéo (erreur UPnP %2).</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; refused %2 (UPnP error %3: %4).</source>
        <translation>La télé « %1 » a refusé %2 (erreur UPnP %3 : %4).</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; gave no usable answer to %2.</source>
        <translation>La télé « %1 » n&apos;a donné aucune réponse utilisable à %2.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; does not play this video&apos;s format.</source>
        <translation>La télé « %1 » ne lit pas le format de cette vidéo.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; did not start playing within %2 seconds.</source>
        <translation>La télé « %1 » n&apos;a pas commencé la lecture en %2 secondes.</translation>
    </message>
</context>
<context>
    <name>ResumeBar</name>
    <message>
        <source>Start over</source>
        <translation>Recommencer</translation>
    </message>
    <message>
        <source>Resumed at %1 —</source>
        <extracomment>The time where a video goes on, e.g. &quot;Resumed at 12:34&quot;; the button beside it says &quot;Start over&quot;.</extracomment>
        <translation>Reprise à %1 —</translation>
    </message>
    <message>
        <source>Resumed at %1</source>
        <translation>Reprise à %1</translation>
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
        <translation>Bibliothèque</translation>
    </message>
    <message>
        <source>My Library (%1)</source>
        <translation>Ma bibliothèque (%1)</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>Lecteur</translation>
    </message>
    <message>
        <source>Downloads (%1)</source>
        <translation>Téléchargements (%1)</translation>
    </message>
</context>
<context>
    <name>StatusWidget</name>
    <message>
        <source>Importing files...</source>
        <translation>Importation des fichiers...</translation>
    </message>
</context>
<context>
    <name>SubtitleChooser</name>
    <message>
        <source>Track %1</source>
        <translation>Piste %1</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Sous-titres</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Désactivés</translation>
    </message>
    <message>
        <source>No subtitles</source>
        <translation>Aucun sous-titre</translation>
    </message>
</context>
<context>
    <name>TaskDelegate</name>
    <message>
        <source>Task progress</source>
        <translation>Progression de la tâche</translation>
    </message>
</context>
<context>
    <name>Toolbar</name>
    <message>
        <source>Play</source>
        <translation>Lecture</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Plein écran</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Quitter le plein écran</translation>
    </message>
</context>
<context>
    <name>TvMenu</name>
    <message>
        <source>Play on TV</source>
        <translation>Lire sur la télé</translation>
    </message>
    <message>
        <source>Looking for TVs on the home network…</source>
        <translation>Recherche de télés sur le réseau domestique…</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Cet ordinateur</translation>
    </message>
</context>
<context>
    <name>TvMode</name>
    <message>
        <source>Playing</source>
        <translation>Lecture en cours</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pause</translation>
    </message>
    <message>
        <source>The TV is loading the video…</source>
        <translation>La télé charge la vidéo…</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Arrêtée</translation>
    </message>
    <message>
        <source>Play on TV</source>
        <translation>Lire sur la télé</translation>
    </message>
    <message>
        <source>The TV plays the video from this program&apos;s media server, which is off.</source>
        <translation>La télé lit la vidéo depuis le serveur multimédia de ce programme, qui est arrêté.</translation>
    </message>
    <message>
        <source>Start the media server and play the video on %1?</source>
        <translation>Démarrer le serveur multimédia et lire la vidéo sur %1 ?</translation>
    </message>
    <message>
        <source>the TV</source>
        <translation>la télé</translation>
    </message>
    <message>
        <source>Start the Media Server</source>
        <translation>Démarrer le serveur multimédia</translation>
    </message>
    <message>
        <source>The media server could not start, so the TV cannot fetch the video.</source>
        <translation>Le serveur multimédia n&apos;a pas pu démarrer : la télé ne peut pas récupérer la vidéo.</translation>
    </message>
    <message>
        <source>The TV is no longer on the network.</source>
        <translation>La télé n&apos;est plus sur le réseau.</translation>
    </message>
    <message>
        <source>The media server does not offer this video: only videos in the library folder can play on a TV.</source>
        <translation>Le serveur multimédia ne propose pas cette vidéo : seules les vidéos du dossier de la bibliothèque peuvent être lues sur une télé.</translation>
    </message>
    <message>
        <source>Starting on the TV…</source>
        <translation>Démarrage sur la télé…</translation>
    </message>
</context>
<context>
    <name>TvModePanel</name>
    <message>
        <source>Playing on a TV</source>
        <translation>Lecture sur une télé</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Stop on the TV</source>
        <translation>Arrêter sur la télé</translation>
    </message>
    <message>
        <source>Position on the TV</source>
        <translation>Position sur la télé</translation>
    </message>
    <message>
        <source>Volume of the TV</source>
        <translation>Volume de la télé</translation>
    </message>
    <message>
        <source>Sound of the TV off</source>
        <translation>Son de la télé coupé</translation>
    </message>
    <message>
        <source>Sound of the TV on</source>
        <translation>Son de la télé activé</translation>
    </message>
    <message>
        <source>Turn the TV&apos;s sound on</source>
        <translation>Remettre le son de la télé</translation>
    </message>
    <message>
        <source>Turn the TV&apos;s sound off</source>
        <translation>Couper le son de la télé</translation>
    </message>
    <message>
        <source>Back to this computer</source>
        <translation>Revenir sur cet ordinateur</translation>
    </message>
    <message>
        <source>Stop on the TV and go on here at the same place</source>
        <translation>Arrêter sur la télé et continuer ici au même endroit</translation>
    </message>
    <message>
        <source>Playing on %1</source>
        <extracomment>Under the video's title while a TV plays it, e.g. &quot;Playing on Living room TV&quot;.</extracomment>
        <translation>Lecture sur %1</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Pause on the TV</source>
        <translation>Mettre en pause sur la télé</translation>
    </message>
    <message>
        <source>Play on the TV</source>
        <translation>Lire sur la télé</translation>
    </message>
</context>
<context>
    <name>VideoClipModel</name>
    <message>
        <source>Track</source>
        <translation>Piste</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nom</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Taille</translation>
    </message>
    <message>
        <source>Unknown language</source>
        <translation>Langue inconnue</translation>
    </message>
    <message>
        <source>VCD and SVCD discs cannot carry subtitles.</source>
        <translation>Les VCD et SVCD ne peuvent pas contenir de sous-titres.</translation>
    </message>
    <message>
        <source>These subtitles go on the disc; clear the box to leave them off.</source>
        <translation>Ces sous-titres seront gravés ; décochez la case pour les omettre.</translation>
    </message>
    <message>
        <source>These subtitles are left off the disc.</source>
        <translation>Ces sous-titres ne seront pas gravés.</translation>
    </message>
    <message>
        <source>Subtitles on the disc</source>
        <translation>Sous-titres sur le disque</translation>
    </message>
    <message>
        <source>Subtitles left off</source>
        <translation>Sans sous-titres</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Sous-titres</translation>
    </message>
</context>
<context>
    <name>VideoOverlay</name>
    <message>
        <source>Replay</source>
        <translation>Revoir</translation>
    </message>
    <message>
        <source>Playback ended</source>
        <translation>Lecture terminée</translation>
    </message>
</context>
<context>
    <name>VolumeSlider</name>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
</context>
<context>
    <name>WebToolbar</name>
    <message>
        <source>Back</source>
        <translation>Précédente</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Suivant</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Accueil</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Actualiser</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Chargement</translation>
    </message>
</context>
<context>
    <name>WebWidget</name>
    <message>
        <source>Importing files...</source>
        <translation>Importation des fichiers...</translation>
    </message>
    <message>
        <source>Import status</source>
        <translation>État de l&apos;importation</translation>
    </message>
    <message>
        <source>Search All Channels</source>
        <translation>Rechercher dans toutes les chaînes</translation>
    </message>
    <message>
        <source>Search...</source>
        <translation>Rechercher...</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Chargement...</translation>
    </message>
    <message>
        <source>The user name or password is not right.</source>
        <translation>Le nom d&apos;utilisateur ou le mot de passe est incorrect.</translation>
    </message>
    <message>
        <source>No new downloads: these videos are already in your library or in the download list.</source>
        <translation>Aucun nouveau téléchargement&#xa0;: ces vidéos sont déjà dans votre bibliothèque ou dans la liste des téléchargements.</translation>
    </message>
    <message>
        <source>1 download was queued. You find it under Downloads.</source>
        <translation>1 téléchargement a été mis en file d&apos;attente. Vous le trouverez sous Téléchargements.</translation>
    </message>
    <message>
        <source>%1 downloads were queued. You find them under Downloads.</source>
        <translation>%1 téléchargements ont été mis en file d&apos;attente. Vous les trouverez sous Téléchargements.</translation>
    </message>
</context>
<context>
    <name>ZR::ErrorReportDialog</name>
    <message>
        <source>An unexpected error has occurred</source>
        <translation>Une erreur inattendue s&apos;est produite</translation>
    </message>
    <message>
        <source>%1 has created an error report that you can send to help us improve the product. All reports are confidential and anonymous.</source>
        <translation>%1 a créé un rapport d&apos;erreur que vous pouvez envoyer pour nous aider à améliorer le produit. Tous les rapports sont confidentiels et anonymes.</translation>
    </message>
    <message>
        <source>Please describe what you were doing when this occurred:</source>
        <translation>Veuillez décrire ce que vous faisiez lorsque l&apos;erreur s&apos;est produite&#xa0;:</translation>
    </message>
    <message>
        <source>Don&apos;t Send</source>
        <translation>Ne pas envoyer</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Envoyer</translation>
    </message>
    <message>
        <source>Report to be sent</source>
        <translation>Rapport à envoyer</translation>
    </message>
    <message>
        <source>The log file cannot be read; nothing can be sent.</source>
        <translation>Le fichier journal ne peut pas être lu&#xa0;; rien ne peut être envoyé.</translation>
    </message>
</context>
</TS>
