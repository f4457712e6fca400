<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>Application</name>
    <message>
        <source>This system does not support OpenSSL. SSL websites will not be available.</source>
        <translation>Este sistema no admite OpenSSL. Los sitios web SSL no estarán disponibles.</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
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
    <message>
        <source>%1 %2</source>
        <comment>size and its unit</comment>
        <translation>%1 %2</translation>
    </message>
    <message numerus="yes">
        <source>%n minute remaining</source>
        <translation>
            <numerusform>Queda %n minuto</numerusform>
            <numerusform>Quedan %n minutos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes remaining</source>
        <translation>
            <numerusform>Queda %n minuto</numerusform>
            <numerusform>Quedan %n minutos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second remaining</source>
        <translation>
            <numerusform>Queda %n segundo</numerusform>
            <numerusform>Quedan %n segundos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds remaining</source>
        <translation>
            <numerusform>Queda %n segundo</numerusform>
            <numerusform>Quedan %n segundos</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BurnQueue</name>
    <message>
        <source>Compiling DVD and burning to disc</source>
        <translation>Creando el DVD y grabándolo en el disco</translation>
    </message>
    <message>
        <source>Compiling (S)VCD and burning to disc</source>
        <translation>Creando el (S)VCD y grabándolo en el disco</translation>
    </message>
    <message>
        <source>Building DVD...</source>
        <translation>Creando el DVD...</translation>
    </message>
    <message>
        <source>Building VCD...</source>
        <translation>Creando el VCD...</translation>
    </message>
</context>
<context>
    <name>BurnStep</name>
    <message>
        <source>Tasks</source>
        <translation>Tareas</translation>
    </message>
    <message>
        <source>Cancel Operation</source>
        <translation>Cancelar la operación</translation>
    </message>
    <message>
        <source>Discaveo is in the middle of an operation, are you sure you want to exit?</source>
        <translation>Discaveo está realizando una operación. ¿Seguro que quiere salir?</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Continuar</translation>
    </message>
    <message>
        <source>Would you like to continue?</source>
        <translation>¿Desea continuar?</translation>
    </message>
    <message>
        <source>Burning is complete!</source>
        <translation>¡La grabación ha terminado!</translation>
    </message>
    <message>
        <source>Discaveo has completed the burning operation, enjoy your media.</source>
        <translation>Discaveo ha terminado la grabación. Disfrute de sus vídeos.</translation>
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
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>Put your videos on a disc</source>
        <translation>Grabe sus vídeos en un disco</translation>
    </message>
</context>
<context>
    <name>ConvertTask</name>
    <message>
        <source>Converting to MPEG</source>
        <translation>Convirtiendo a MPEG</translation>
    </message>
    <message>
        <source>Unsupported format</source>
        <translation>Formato no admitido</translation>
    </message>
    <message>
        <source>The file %1 contains a track with an unsupported format</source>
        <translation>El archivo %1 contiene una pista en un formato no admitido</translation>
    </message>
    <message>
        <source>Conversion Error</source>
        <translation>Error de conversión</translation>
    </message>
    <message>
        <source>The file %1 has failed conversion.</source>
        <translation>No se ha podido convertir el archivo %1.</translation>
    </message>
</context>
<context>
    <name>CorvHeaderView</name>
    <message>
        <source>Sort by</source>
        <translation>Ordenar por</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
</context>
<context>
    <name>CorvLibSearchWidget</name>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Search My Library</source>
        <translation>Buscar en mi biblioteca</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Borrar la búsqueda</translation>
    </message>
</context>
<context>
    <name>CorvLibraryItemWidget</name>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>More</source>
        <translation>Más</translation>
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
        <translation>¿Está seguro?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this video?</source>
        <translation>¿Seguro que quiere eliminar este vídeo?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &quot;%1&quot;?</source>
        <translation>¿Seguro que desea eliminar «%1»?</translation>
    </message>
    <message>
        <source>File missing</source>
        <translation>Falta el archivo</translation>
    </message>
</context>
<context>
    <name>CorvMediaInformationEditDialog</name>
    <message>
        <source>Media Information</source>
        <translation>Información del vídeo</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Tags</source>
        <translation>Etiquetas</translation>
    </message>
    <message>
        <source>Cast</source>
        <translation>Reparto</translation>
    </message>
</context>
<context>
    <name>CorvWebSearchWidget</name>
    <message>
        <source>Search...</source>
        <translation>Buscar...</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Buscar</translation>
    </message>
</context>
<context>
    <name>CreateDVDTask</name>
    <message>
        <source>Unable to create DVD</source>
        <translation>No se puede crear el DVD</translation>
    </message>
    <message>
        <source>The menu could not be written to %1.</source>
        <translation>No se ha podido escribir el menú en %1.</translation>
    </message>
    <message>
        <source>The disc menu has no room for %1 videos.</source>
        <translation>El menú del disco no tiene espacio para %1 vídeos.</translation>
    </message>
    <message>
        <source>The file %1 was not created.</source>
        <translation>No se ha creado el archivo %1.</translation>
    </message>
    <message>
        <source>Error with ppmconverter</source>
        <translation>Error en el convertidor ppmconverter</translation>
    </message>
    <message>
        <source>Error with y4mconverter</source>
        <translation>Error en el convertidor y4mconverter</translation>
    </message>
    <message>
        <source>Error with mpgconverter</source>
        <translation>Error en el convertidor mpgconverter</translation>
    </message>
    <message>
        <source>Error with multiplexer</source>
        <translation>Error en el multiplexor</translation>
    </message>
    <message>
        <source>Error with subtitler</source>
        <translation>Error en el subtitulador</translation>
    </message>
    <message>
        <source>Error with cdcreator</source>
        <translation>Error en el creador de CD cdcreator</translation>
    </message>
</context>
<context>
    <name>CreateVCDTask</name>
    <message>
        <source>Error with vcdgenerator</source>
        <translation>Error en el generador vcdgenerator</translation>
    </message>
    <message>
        <source>Error with vcdbuilder</source>
        <translation>Error en el constructor vcdbuilder</translation>
    </message>
    <message>
        <source>The file %1 was not created.</source>
        <translation>No se ha creado el archivo %1.</translation>
    </message>
</context>
<context>
    <name>CustomWebInspector</name>
    <message>
        <source>Web Inspector</source>
        <translation>Inspector web</translation>
    </message>
</context>
<context>
    <name>DesktopNotifier</name>
    <message>
        <source>Download failed</source>
        <translation>Error en la descarga</translation>
    </message>
    <message>
        <source>Download finished</source>
        <translation>Descarga terminada</translation>
    </message>
    <message>
        <source>Disc finished</source>
        <translation>Disco terminado</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Mostrar</translation>
    </message>
</context>
<context>
    <name>DeviceController</name>
    <message>
        <source>Validating media...</source>
        <translation>Comprobando el disco...</translation>
    </message>
    <message>
        <source>Formatting media...</source>
        <translation>Formateando el disco...</translation>
    </message>
    <message>
        <source>Initializing hardware... </source>
        <translation>Iniciando el hardware... </translation>
    </message>
    <message>
        <source>Calibrating power...</source>
        <translation>Calibrando la potencia...</translation>
    </message>
    <message>
        <source>Writing Disc...</source>
        <translation>Escribiendo el disco...</translation>
    </message>
    <message>
        <source>Finishing writing operation...</source>
        <translation>Finalizando la escritura...</translation>
    </message>
</context>
<context>
    <name>DiscSetupDialog</name>
    <message>
        <source>Waiting for a disc to be inserted...</source>
        <translation>Esperando a que se inserte un disco...</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Grabadora</translation>
    </message>
    <message>
        <source>Disc status</source>
        <translation>Estado del disco</translation>
    </message>
    <message>
        <source>Burn disc</source>
        <translation>Grabar el disco</translation>
    </message>
    <message>
        <source>Eject</source>
        <translation>Expulsar</translation>
    </message>
    <message>
        <source>Eject disc</source>
        <translation>Expulsar el disco</translation>
    </message>
    <message>
        <source>Image File...</source>
        <translation>Archivo de imagen...</translation>
    </message>
    <message>
        <source>Write to an image file</source>
        <translation>Escribir en un archivo de imagen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Cancel disc setup</source>
        <translation>Cancelar la preparación del disco</translation>
    </message>
    <message>
        <source>Burn Disc In:</source>
        <translation>Grabar el disco en:</translation>
    </message>
    <message>
        <source>Please insert a valid disc</source>
        <translation>Inserte un disco válido</translation>
    </message>
    <message>
        <source>The current disc is not writable</source>
        <translation>No se puede escribir en el disco insertado</translation>
    </message>
    <message>
        <source>Ready to burn.</source>
        <translation>Listo para grabar.</translation>
    </message>
    <message>
        <source>Write to Image File</source>
        <translation>Escribir en un archivo de imagen</translation>
    </message>
    <message>
        <source>Disc Images (*.iso *.bin);;All Files (*)</source>
        <translation>Imágenes de disco (*.iso *.bin);;Todos los archivos (*)</translation>
    </message>
    <message>
        <source>The disc image cannot be written to %1. Choose a file in a folder you can write to.</source>
        <translation>No se puede escribir la imagen de disco en %1. Elija un archivo en una carpeta en la que pueda escribir.</translation>
    </message>
</context>
<context>
    <name>DvdMenu</name>
    <message>
        <source>Play All</source>
        <translation>Reproducir todo</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Subtítulos</translation>
    </message>
    <message>
        <source>Unknown language</source>
        <translation>Idioma desconocido</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivados</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
</context>
<context>
    <name>Download</name>
    <message>
        <source>Queued</source>
        <translation>En cola</translation>
    </message>
    <message>
        <source>Downloading</source>
        <translation>Descargando</translation>
    </message>
    <message>
        <source>Finished</source>
        <translation>Terminada</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pausa</translation>
    </message>
    <message>
        <source>Waiting to retry</source>
        <translation>Esperando para reintentar</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>a file named &quot;%1&quot; is in the way</source>
        <translation>un archivo llamado «%1» lo impide</translation>
    </message>
    <message>
        <source>its folder &quot;%1&quot; cannot be made</source>
        <translation>no se puede crear su carpeta «%1»</translation>
    </message>
    <message>
        <source>its media address is not a web address</source>
        <translation>su dirección de vídeo no es una dirección web</translation>
    </message>
    <message>
        <source>its address is not a web address</source>
        <translation>su dirección no es una dirección web</translation>
    </message>
    <message>
        <source>the site sent it elsewhere without a usable address</source>
        <translation>el sitio lo redirigió sin una dirección utilizable</translation>
    </message>
    <message>
        <source>too many redirects</source>
        <translation>demasiadas redirecciones</translation>
    </message>
</context>
<context>
    <name>DownloadFailure</name>
    <message>
        <source>The site no longer offers this video</source>
        <translation>El sitio ya no ofrece este vídeo</translation>
    </message>
    <message>
        <source>The site did not accept your user name or password for &quot;%1&quot;. Sign in again, then retry.</source>
        <translation>El sitio no ha aceptado su nombre de usuario o contraseña para «%1». Vuelva a iniciar sesión e inténtelo de nuevo.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not found on the site.</source>
        <translation>No se ha encontrado «%1» en el sitio.</translation>
    </message>
    <message>
        <source>The site had a problem sending &quot;%1&quot; (error %2). The download is tried again by itself.</source>
        <translation>El sitio ha tenido un problema al enviar «%1» (error %2). La descarga se volverá a intentar automáticamente.</translation>
    </message>
    <message>
        <source>the site answered %1</source>
        <translation>el sitio respondió %1</translation>
    </message>
    <message>
        <source>network error %1</source>
        <translation>error de red %1</translation>
    </message>
    <message>
        <source>The disk is full: &quot;%1&quot; could not be written in %2 (%3). The part already downloaded is kept.</source>
        <translation>El disco está lleno: no se pudo escribir «%1» en %2 (%3). Se conserva la parte ya descargada.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to (%2): &quot;%3&quot; was not saved. The part already downloaded is kept.</source>
        <translation>No se puede escribir en la carpeta %1 (%2): no se ha guardado «%3». Se conserva la parte ya descargada.</translation>
    </message>
    <message>
        <source>Not enough disk space for &quot;%1&quot;: needs %2, %3 free in %4.</source>
        <translation>No hay espacio suficiente para «%1»: necesita %2 y hay %3 libres en %4.</translation>
    </message>
    <message>
        <source>No connection to the site for &quot;%1&quot;. The download goes on by itself when the connection is back.</source>
        <translation>No hay conexión con el sitio para «%1». La descarga continuará automáticamente cuando vuelva la conexión.</translation>
    </message>
    <message>
        <source>The download of &quot;%1&quot; failed (%2).</source>
        <translation>La descarga de «%1» ha fallado (%2).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not downloaded: the site&apos;s certificate was not trusted, so the connection could not be made secure.</source>
        <translation>No se ha descargado «%1»: el certificado del sitio no es de confianza, así que no se ha podido establecer una conexión segura.</translation>
    </message>
</context>
<context>
    <name>DownloadHelper</name>
    <message>
        <source>the site&apos;s answer does not continue the part on disk</source>
        <translation>la respuesta del sitio no continúa la parte que hay en el disco</translation>
    </message>
</context>
<context>
    <name>DownloadCard</name>
    <message>
        <source>Remove</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Loading download...</source>
        <translation>Cargando la descarga...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Resume</source>
        <translation>Reanudar</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Status: &lt;font color=&apos;%1&apos;&gt;%2&lt;/font&gt;</source>
        <translation>Estado: &lt;font color=&apos;%1&apos;&gt;%2&lt;/font&gt;</translation>
    </message>
    <message>
        <source>CorvanaZELTA</source>
        <translation>CorvanaZELTA</translation>
    </message>
    <message>
        <source>Are you sure you want to remove this download?</source>
        <translation>¿Seguro que quiere quitar esta descarga?</translation>
    </message>
    <message>
        <source>Starring: %1</source>
        <translation>Reparto: %1</translation>
    </message>
    <message>
        <source>Tags: %1</source>
        <translation>Etiquetas: %1</translation>
    </message>
    <message>
        <source>Sign In</source>
        <translation>Iniciar sesión</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Reintentar</translation>
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
        <translation>su tamaño anunciado de %1 bytes no puede ser el de un vídeo</translation>
    </message>
    <message>
        <source>it is in your library already</source>
        <translation>ya está en su biblioteca</translation>
    </message>
    <message>
        <source>Videos Skipped</source>
        <translation>Vídeos omitidos</translation>
    </message>
    <message>
        <source>This video was not downloaded:
%1</source>
        <translation>Este vídeo no se ha descargado:
%1</translation>
    </message>
    <message>
        <source>These videos were not downloaded:
%1</source>
        <translation>Estos vídeos no se han descargado:
%1</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>El archivo ya existe</translation>
    </message>
    <message>
        <source>You have already downloaded this video</source>
        <translation>Ya ha descargado este vídeo</translation>
    </message>
    <message>
        <source>Download Failed</source>
        <translation>Error en la descarga</translation>
    </message>
    <message>
        <source>The file %1 could not be read.</source>
        <translation>No se ha podido leer el archivo %1.</translation>
    </message>
    <message>
        <source>its media address is not a web address</source>
        <translation>su dirección de vídeo no es una dirección web</translation>
    </message>
    <message>
        <source>the download list is full</source>
        <translation>la lista de descargas está llena</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>¿Está seguro?</translation>
    </message>
    <message>
        <source>Are you sure you want to remove all downloads?</source>
        <translation>¿Seguro que quiere quitar todas las descargas?</translation>
    </message>
    <message>
        <source>The download list at %1 was not opened: it is not an address of the site.</source>
        <translation>No se ha abierto la lista de descargas de %1: no es una dirección del sitio.</translation>
    </message>
    <message>
        <source>its file type &quot;%1&quot; is not a video type</source>
        <translation>su tipo de archivo «%1» no es un tipo de vídeo</translation>
    </message>
    <message>
        <source>%1 was not downloaded: %2.</source>
        <translation>No se ha descargado %1: %2.</translation>
    </message>
</context>
<context>
    <name>DownloadProgress</name>
    <message>
        <source>%1 of %2 (%3/sec) - %4</source>
        <translation>%1 de %2 (%3/s) - %4</translation>
    </message>
</context>
<context>
    <name>DownloadView</name>
    <message>
        <source>Downloads</source>
        <translation>Descargas</translation>
    </message>
</context>
<context>
    <name>DownloadWidget</name>
    <message>
        <source>Alternative Speed</source>
        <translation>Velocidad alternativa</translation>
    </message>
    <message>
        <source>Download at the alternative speed limit now, whatever the schedule says</source>
        <translation>Descargar ahora con el límite de velocidad alternativo, sin importar la programación</translation>
    </message>
    <message>
        <source>Downloads</source>
        <translation>Descargas</translation>
    </message>
    <message>
        <source>Remove All</source>
        <translation>Quitar todas</translation>
    </message>
    <message>
        <source>Pause All</source>
        <translation>Pausar todas</translation>
    </message>
    <message>
        <source>Resume All</source>
        <translation>Reanudar todas</translation>
    </message>
</context>
<context>
    <name>FileStep</name>
    <message>
        <source>Add</source>
        <translation>Añadir</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Up</source>
        <translation>Subir</translation>
    </message>
    <message>
        <source>Down</source>
        <translation>Bajar</translation>
    </message>
    <message>
        <source>Add files</source>
        <translation>Añadir archivos</translation>
    </message>
    <message>
        <source>Remove file</source>
        <translation>Quitar el archivo</translation>
    </message>
    <message>
        <source>Move file up</source>
        <translation>Subir el archivo</translation>
    </message>
    <message>
        <source>Move file down</source>
        <translation>Bajar el archivo</translation>
    </message>
    <message>
        <source>Files on the disc</source>
        <translation>Archivos del disco</translation>
    </message>
    <message>
        <source>Disc title</source>
        <translation>Título del disco</translation>
    </message>
    <message>
        <source>TV format</source>
        <translation>Sistema de televisión</translation>
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
        <translation>Tipo de disco</translation>
    </message>
    <message>
        <source>DVD Video Disc</source>
        <translation>DVD de vídeo</translation>
    </message>
    <message>
        <source>Dual Layer DVD Video Disc</source>
        <translation>DVD de vídeo de doble capa</translation>
    </message>
    <message>
        <source>VCD Video Disc</source>
        <translation>VCD de vídeo</translation>
    </message>
    <message>
        <source>SVCD Video Disc</source>
        <translation>SVCD de vídeo</translation>
    </message>
    <message>
        <source>Total tracks</source>
        <translation>Número de pistas</translation>
    </message>
    <message>
        <source>Total time</source>
        <translation>Duración total</translation>
    </message>
    <message>
        <source>Play time used</source>
        <translation>Duración ocupada</translation>
    </message>
    <message>
        <source>Add/Remove Files:</source>
        <translation>Añadir o quitar archivos:</translation>
    </message>
    <message>
        <source>Change File Order:</source>
        <translation>Cambiar el orden de los archivos:</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Título:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Sistema:</translation>
    </message>
    <message>
        <source>Disc Type:</source>
        <translation>Tipo de disco:</translation>
    </message>
    <message>
        <source>Total Tracks:</source>
        <translation>Número de pistas:</translation>
    </message>
    <message>
        <source>Total Time:</source>
        <translation>Duración total:</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Add Videos</source>
        <translation>Añadir vídeos</translation>
    </message>
    <message>
        <source>Video Files (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;All Files (*.*)</source>
        <translation>Archivos de vídeo (*.avi *.mpg *.mpeg *.mov *.wmv *.flv *.mp4);;Todos los archivos (*.*)</translation>
    </message>
    <message>
        <source>These files cannot be read as videos and were not added:</source>
        <translation>Estos archivos no se pueden leer como vídeos y no se han añadido:</translation>
    </message>
    <message>
        <source>VCD and SVCD discs cannot carry subtitles: these videos go on the disc without them.</source>
        <translation>Los VCD y SVCD no pueden llevar subtítulos: estos vídeos se graban sin ellos.</translation>
    </message>
    <message>
        <source>Subtitles go on the disc for the player to switch on. Clear a video&apos;s box in the Subtitles column to leave them off.</source>
        <translation>Los subtítulos se graban en el disco y se activan en el reproductor. Desmarque la casilla de un vídeo en la columna Subtítulos para omitirlos.</translation>
    </message>
</context>
<context>
    <name>IntegrityChecker</name>
    <message>
        <source>Rebuilding library (%1 files)...</source>
        <translation>Reconstruyendo la biblioteca (%1 archivos)...</translation>
    </message>
</context>
<context>
    <name>LibburnDeviceController</name>
    <message>
        <source>The image %1 cannot be read: %2</source>
        <translation>No se puede leer la imagen %1: %2</translation>
    </message>
    <message>
        <source>The disc cannot take this image: %1</source>
        <translation>El disco no admite esta imagen: %1</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The recorder %1 could not be opened. %2</source>
        <translation>No se ha podido abrir la grabadora %1. %2</translation>
    </message>
    <message>
        <source>The current disc is not writable</source>
        <translation>No se puede escribir en el disco insertado</translation>
    </message>
    <message>
        <source>The image %1 cannot be read</source>
        <translation>No se puede leer la imagen %1</translation>
    </message>
    <message>
        <source>There is no recorder named %1</source>
        <translation>No hay ninguna grabadora llamada %1</translation>
    </message>
    <message>
        <source>The recorder is still writing</source>
        <translation>La grabadora aún está escribiendo</translation>
    </message>
    <message>
        <source>The cue sheet %1 names no track files</source>
        <translation>La hoja de pistas %1 no nombra ningún archivo de pista</translation>
    </message>
    <message>
        <source>The cue-sheet writer cdrdao could not be run</source>
        <translation>No se ha podido ejecutar el programa de grabación cdrdao</translation>
    </message>
    <message>
        <source>The recorder %1 was not found by cdrdao</source>
        <translation>cdrdao no ha encontrado la grabadora %1</translation>
    </message>
    <message>
        <source>Writing...</source>
        <translation>Escribiendo...</translation>
    </message>
    <message>
        <source>The disc image %1 was not written.</source>
        <translation>La imagen de disco %1 no se escribió.</translation>
    </message>
    <message>
        <source>The disc image %1 holds %2 bytes, not the %3 bytes written to it.</source>
        <translation>La imagen de disco %1 contiene %2 bytes, no los %3 bytes que se escribieron en ella.</translation>
    </message>
    <message>
        <source>The disc image %1 does not read back as the disc that was written.</source>
        <translation>La imagen de disco %1 no se lee como el disco que se escribió.</translation>
    </message>
    <message>
        <source>The recorder %1 did not write the disc. %2</source>
        <translation>La grabadora %1 no ha escrito el disco. %2</translation>
    </message>
</context>
<context>
    <name>LibraryModel</name>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>DVD Title</source>
        <translation>Título del DVD</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Categorías</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Your library could not be brought up to date (%1). Nothing in it was changed; CorvanaZELTA will try again the next time it starts.</source>
        <translation>No se ha podido actualizar su biblioteca (%1). No se ha cambiado nada en ella; CorvanaZELTA lo volverá a intentar la próxima vez que se inicie.</translation>
    </message>
    <message>
        <source>unknown database error</source>
        <translation>error desconocido de la base de datos</translation>
    </message>
    <message>
        <source>Cast</source>
        <translation>Reparto</translation>
    </message>
    <message>
        <source>Watched</source>
        <translation>Visto</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Progreso</translation>
    </message>
</context>
<context>
    <name>LibraryFilterView</name>
    <message>
        <source>Categories</source>
        <translation>Categorías</translation>
    </message>
    <message>
        <source>DVD Titles</source>
        <translation>Títulos de DVD</translation>
    </message>
</context>
<context>
    <name>LibraryTableSortModel</name>
    <message>
        <source>File missing</source>
        <translation>Falta el archivo</translation>
    </message>
</context>
<context>
    <name>LibraryTableView</name>
    <message>
        <source>My videos in detail</source>
        <translation>Mis vídeos en detalle</translation>
    </message>
</context>
<context>
    <name>LibraryView</name>
    <message>
        <source>My videos</source>
        <translation>Mis vídeos</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Media Information</source>
        <translation>Información del vídeo</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Mostrar en la carpeta</translation>
    </message>
    <message>
        <source>Add to Playlist</source>
        <translation>Añadir a la lista de reproducción</translation>
    </message>
    <message>
        <source>There is no music folder to keep the playlist in. Set one up in your desktop&apos;s settings (Music) and try again.</source>
        <translation>No hay una carpeta de música donde guardar la lista de reproducción. Configure una en los ajustes de su escritorio (Música) y vuelva a intentarlo.</translation>
    </message>
    <message>
        <source>Adding &quot;%1&quot; to the playlist...</source>
        <translation>Añadiendo «%1» a la lista de reproducción...</translation>
    </message>
    <message>
        <source>Mark as watched</source>
        <translation>Marcar como visto</translation>
    </message>
    <message>
        <source>Mark as not watched</source>
        <translation>Marcar como no visto</translation>
    </message>
</context>
<context>
    <name>LibraryWidget</name>
    <message>
        <source>not a video</source>
        <translation>no es un vídeo</translation>
    </message>
    <message>
        <source>a link</source>
        <translation>un enlace</translation>
    </message>
    <message>
        <source>not a regular file</source>
        <translation>no es un archivo normal</translation>
    </message>
    <message>
        <source>unreadable</source>
        <translation>ilegible</translation>
    </message>
    <message>
        <source>a system folder</source>
        <translation>una carpeta del sistema</translation>
    </message>
    <message>
        <source>the library&apos;s own folder</source>
        <translation>la carpeta de la propia biblioteca</translation>
    </message>
    <message>
        <source>more than %1 folders deep</source>
        <translation>a más de %1 carpetas de profundidad</translation>
    </message>
    <message>
        <source>over the limit of %1 files</source>
        <translation>por encima del límite de %1 archivos</translation>
    </message>
    <message>
        <source>not found</source>
        <translation>no encontrado</translation>
    </message>
    <message>
        <source>a subtitle that is a link</source>
        <translation>un subtítulo que es un enlace</translation>
    </message>
    <message>
        <source>a subtitle over %1 MiB</source>
        <translation>un subtítulo de más de %1 MiB</translation>
    </message>
    <message>
        <source>a subtitle of over %1 cues</source>
        <translation>un subtítulo de más de %1 líneas</translation>
    </message>
    <message>
        <source>an unreadable subtitle</source>
        <translation>un subtítulo ilegible</translation>
    </message>
    <message>
        <source>a subtitle without cues</source>
        <translation>un subtítulo sin líneas</translation>
    </message>
    <message>
        <source>could not be copied into the library</source>
        <translation>no se pudo copiar a la biblioteca</translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: %1</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n omitido: %1</numerusform>
            <numerusform>%n omitidos: %1</numerusform>
        </translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>NO</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>SÍ</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importar</translation>
    </message>
    <message>
        <source>Import videos</source>
        <translation>Importar vídeos</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Detalles</translation>
    </message>
    <message>
        <source>Show the videos as a table with filters</source>
        <translation>Mostrar los vídeos en una tabla con filtros</translation>
    </message>
    <message>
        <source>Burn</source>
        <translation>Grabar</translation>
    </message>
    <message>
        <source>Burn a disc</source>
        <translation>Grabar un disco</translation>
    </message>
    <message>
        <source>Watch on TV</source>
        <translation>Ver en la tele</translation>
    </message>
    <message>
        <source>Watch on TV: share the library with televisions at home</source>
        <translation>Ver en la tele: compartir la biblioteca con los televisores de casa</translation>
    </message>
    <message>
        <source>Open Files</source>
        <translation>Abrir archivos</translation>
    </message>
    <message>
        <source>Importing </source>
        <translation>Importando </translation>
    </message>
    <message>
        <source> and other files...</source>
        <translation> y otros archivos...</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Carpeta</translation>
    </message>
    <message>
        <source>Import a folder of videos</source>
        <translation>Importar una carpeta de vídeos</translation>
    </message>
    <message>
        <source>Video (%1)</source>
        <translation>Vídeo (%1)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Todos los archivos (*)</translation>
    </message>
    <message>
        <source>Import Folder</source>
        <translation>Importar carpeta</translation>
    </message>
    <message numerus="yes">
        <source>%n imported</source>
        <comment>videos</comment>
        <translation>
            <numerusform>%n importado</numerusform>
            <numerusform>%n importados</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped: not a video</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n omitido: no es un vídeo</numerusform>
            <numerusform>%n omitidos: no son vídeos</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be copied</source>
        <comment>files</comment>
        <translation>
            <numerusform>%n no se pudo copiar</numerusform>
            <numerusform>%n no se pudieron copiar</numerusform>
        </translation>
    </message>
    <message>
        <source>Importing %1 (%2 of %3)...</source>
        <translation>Importando %1 (%2 de %3)...</translation>
    </message>
    <message>
        <source>%1: not a video</source>
        <translation>%1: no es un vídeo</translation>
    </message>
    <message>
        <source>%1: could not be copied into the library</source>
        <translation>%1: no se pudo copiar en la biblioteca</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <comment>files</comment>
        <translation>
            <numerusform>y %n más</numerusform>
            <numerusform>y %n más</numerusform>
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
        <translation>Páginas</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Barra lateral</translation>
    </message>
    <message>
        <source>Open log folder</source>
        <translation>Abrir la carpeta del registro</translation>
    </message>
    <message>
        <source>Inspect page</source>
        <translation>Inspeccionar la página</translation>
    </message>
    <message>
        <source>Play or pause</source>
        <translation>Reproducir o pausar</translation>
    </message>
    <message>
        <source>No downloads</source>
        <translation>No hay descargas</translation>
    </message>
    <message>
        <source>Videos you download from the site appear here while they arrive.</source>
        <translation>Los vídeos que descargue del sitio aparecen aquí mientras llegan.</translation>
    </message>
    <message>
        <source>Your library is empty</source>
        <translation>Su biblioteca está vacía</translation>
    </message>
    <message>
        <source>Download videos from the site, or import your own with Import.</source>
        <translation>Descargue vídeos del sitio o importe los suyos con Importar.</translation>
    </message>
    <message>
        <source>Nothing is playing</source>
        <translation>No se está reproduciendo nada</translation>
    </message>
    <message>
        <source>Choose a video in your library and press its play button.</source>
        <translation>Elija un vídeo de su biblioteca y pulse su botón de reproducción.</translation>
    </message>
    <message>
        <source>CorvanaZELTA</source>
        <translation>CorvanaZELTA</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Pantalla completa</translation>
    </message>
    <message>
        <source>Downloads are still running. They will continue the next time you start CorvanaZELTA. Quit now?</source>
        <translation>Aún hay descargas en curso. Continuarán la próxima vez que inicie CorvanaZELTA. ¿Salir ahora?</translation>
    </message>
    <message>
        <source>Don&apos;t ask again</source>
        <translation>No volver a preguntar</translation>
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
        <translation>Vídeo</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Pantalla completa</translation>
    </message>
</context>
<context>
    <name>MetaDataModel</name>
    <message>
        <source>All (%1)</source>
        <translation>Todos (%1)</translation>
    </message>
</context>
<context>
    <name>MissingVideoQuestion</name>
    <message>
        <source>Video File Missing</source>
        <translation>Falta el archivo de vídeo</translation>
    </message>
    <message>
        <source>The video file &quot;%1&quot; is not there any more. It may have been moved, renamed or deleted.</source>
        <translation>El archivo de vídeo «%1» ya no está. Puede que se haya movido, renombrado o eliminado.</translation>
    </message>
    <message>
        <source>The file of &quot;%1&quot; is missing.</source>
        <translation>Falta el archivo de «%1».</translation>
    </message>
    <message>
        <source>It was at %1 and may have been moved, renamed or deleted. Locate the file, or remove the video from the library.</source>
        <translation>Estaba en %1 y puede que se haya movido, renombrado o eliminado. Busque el archivo o quite el vídeo de la biblioteca.</translation>
    </message>
    <message>
        <source>Locate...</source>
        <translation>Buscar...</translation>
    </message>
    <message>
        <source>Remove from library</source>
        <translation>Quitar de la biblioteca</translation>
    </message>
    <message>
        <source>Locate &quot;%1&quot;</source>
        <translation>Buscar «%1»</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is the file of &quot;%2&quot; already. Choose the file of &quot;%3&quot;.</source>
        <translation>«%1» ya es el archivo de «%2». Elija el archivo de «%3».</translation>
    </message>
</context>
<context>
    <name>MpvPlayer</name>
    <message>
        <source>The video could not be played (%1).</source>
        <translation>No se pudo reproducir el vídeo (%1).</translation>
    </message>
    <message>
        <source>The video could not be played.</source>
        <translation>No se pudo reproducir el vídeo.</translation>
    </message>
</context>
<context>
    <name>NetworkManager</name>
    <message>
        <source>SSL Errors:

%1

%2

Do you want to ignore these errors for this host?</source>
        <translation>Errores SSL:

%1

%2

¿Desea ignorar estos errores para este servidor?</translation>
    </message>
</context>
<context>
    <name>PlayProgressMark</name>
    <message>
        <source>%1% watched</source>
        <translation>%1 % visto</translation>
    </message>
    <message>
        <source>Watched</source>
        <translation>Visto</translation>
    </message>
</context>
<context>
    <name>Project</name>
    <message>
        <source>Media only supports %1</source>
        <translation>El disco solo admite %1</translation>
    </message>
    <message>
        <source>Not enough space on drive</source>
        <translation>No hay espacio suficiente en la unidad</translation>
    </message>
</context>
<context>
    <name>QMessageBox</name>
    <message>
        <source>Show Details...</source>
        <translation>Mostrar detalles...</translation>
    </message>
    <message>
        <source>Hide Details...</source>
        <translation>Ocultar detalles...</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Multiple Instances</source>
        <translation>Varias instancias</translation>
    </message>
    <message>
        <source>There can only be one instance of %1 running at a time</source>
        <translation>Solo puede haber una instancia de %1 en ejecución a la vez</translation>
    </message>
</context>
<context>
    <name>RecorderComboBox</name>
    <message>
        <source>Recorders</source>
        <translation>Grabadoras</translation>
    </message>
</context>
<context>
    <name>RendererSession</name>
    <message>
        <source>The TV &quot;%1&quot; is no longer on the network.</source>
        <translation>La tele «%1» ya no está en la red.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; refused the video&apos;s format (UPnP error %2).</source>
        <translation>La tele «%1» rechazó el formato del vídeo (error UPnP %2).</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; refused %2 (UPnP error %3: %4).</source>
        <translation>La tele «%1» rechazó %2 (error UPnP %3: %4).</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; gave no usable answer to %2.</source>
        <translation>La tele «%1» no dio una respuesta útil a %2.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; does not play this video&apos;s format.</source>
        <translation>La tele «%1» no reproduce el formato de este vídeo.</translation>
    </message>
    <message>
        <source>The TV &quot;%1&quot; did not start playing within %2 seconds.</source>
        <translation>La tele «%1» no empezó a reproducir en %2 segundos.</translation>
    </message>
</context>
<context>
    <name>ResumeBar</name>
    <message>
        <source>Start over</source>
        <translation>Empezar de nuevo</translation>
    </message>
    <message>
        <source>Resumed at %1 —</source>
        <extracomment>The time where a video goes on, e.g. &quot;Resumed at 12:34&quot;; the button beside it says &quot;Start over&quot;.</extracomment>
        <translation>Reanudado en %1 —</translation>
    </message>
    <message>
        <source>Resumed at %1</source>
        <translation>Reanudado en %1</translation>
    </message>
</context>
<context>
    <name>SeekSlider</name>
    <message>
        <source>Position</source>
        <translation>Posición</translation>
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
        <translation>Biblioteca</translation>
    </message>
    <message>
        <source>My Library (%1)</source>
        <translation>Mi biblioteca (%1)</translation>
    </message>
    <message>
        <source>Player</source>
        <translation>Reproductor</translation>
    </message>
    <message>
        <source>Downloads (%1)</source>
        <translation>Descargas (%1)</translation>
    </message>
</context>
<context>
    <name>StatusWidget</name>
    <message>
        <source>Importing files...</source>
        <translation>Importando archivos...</translation>
    </message>
</context>
<context>
    <name>SubtitleChooser</name>
    <message>
        <source>Track %1</source>
        <translation>Pista %1</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Subtítulos</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desactivados</translation>
    </message>
    <message>
        <source>No subtitles</source>
        <translation>Sin subtítulos</translation>
    </message>
</context>
<context>
    <name>TaskDelegate</name>
    <message>
        <source>Task progress</source>
        <translation>Progreso de la tarea</translation>
    </message>
</context>
<context>
    <name>Toolbar</name>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Full screen</source>
        <translation>Pantalla completa</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Salir de pantalla completa</translation>
    </message>
</context>
<context>
    <name>TvMenu</name>
    <message>
        <source>Play on TV</source>
        <translation>Reproducir en la tele</translation>
    </message>
    <message>
        <source>Looking for TVs on the home network…</source>
        <translation>Buscando teles en la red de casa…</translation>
    </message>
    <message>
        <source>This computer</source>
        <translation>Este ordenador</translation>
    </message>
</context>
<context>
    <name>TvMode</name>
    <message>
        <source>Playing</source>
        <translation>Reproduciendo</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>En pausa</translation>
    </message>
    <message>
        <source>The TV is loading the video…</source>
        <translation>La tele está cargando el vídeo…</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Detenido</translation>
    </message>
    <message>
        <source>Play on TV</source>
        <translation>Reproducir en la tele</translation>
    </message>
    <message>
        <source>The TV plays the video from this program&apos;s media server, which is off.</source>
        <translation>La tele reproduce el vídeo desde el servidor multimedia de este programa, que está apagado.</translation>
    </message>
    <message>
        <source>Start the media server and play the video on %1?</source>
        <translation>¿Iniciar el servidor multimedia y reproducir el vídeo en %1?</translation>
    </message>
    <message>
        <source>the TV</source>
        <translation>la tele</translation>
    </message>
    <message>
        <source>Start the Media Server</source>
        <translation>Iniciar el servidor multimedia</translation>
    </message>
    <message>
        <source>The media server could not start, so the TV cannot fetch the video.</source>
        <translation>El servidor multimedia no pudo iniciarse, así que la tele no puede obtener el vídeo.</translation>
    </message>
    <message>
        <source>The TV is no longer on the network.</source>
        <translation>La tele ya no está en la red.</translation>
    </message>
    <message>
        <source>The media server does not offer this video: only videos in the library folder can play on a TV.</source>
        <translation>El servidor multimedia no ofrece este vídeo: solo los vídeos de la carpeta de la biblioteca pueden reproducirse en una tele.</translation>
    </message>
    <message>
        <source>Starting on the TV…</source>
        <translation>Iniciando en la tele…</translation>
    </message>
</context>
<context>
    <name>TvModePanel</name>
    <message>
        <source>Playing on a TV</source>
        <translation>Reproduciendo en una tele</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Stop on the TV</source>
        <translation>Detener en la tele</translation>
    </message>
    <message>
        <source>Position on the TV</source>
        <translation>Posición en la tele</translation>
    </message>
    <message>
        <source>Volume of the TV</source>
        <translation>Volumen de la tele</translation>
    </message>
    <message>
        <source>Sound of the TV off</source>
        <translation>Sonido de la tele apagado</translation>
    </message>
    <message>
        <source>Sound of the TV on</source>
        <translation>Sonido de la tele encendido</translation>
    </message>
    <message>
        <source>Turn the TV&apos;s sound on</source>
        <translation>Activar el sonido de la tele</translation>
    </message>
    <message>
        <source>Turn the TV&apos;s sound off</source>
        <translation>Silenciar la tele</translation>
    </message>
    <message>
        <source>Back to this computer</source>
        <translation>Volver a este ordenador</translation>
    </message>
    <message>
        <source>Stop on the TV and go on here at the same place</source>
        <translation>Detener en la tele y seguir aquí en el mismo punto</translation>
    </message>
    <message>
        <source>Playing on %1</source>
        <extracomment>Under the video's title while a TV plays it, e.g. &quot;Playing on Living room TV&quot;.</extracomment>
        <translation>Reproduciendo en %1</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pausa</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <source>Pause on the TV</source>
        <translation>Pausar en la tele</translation>
    </message>
    <message>
        <source>Play on the TV</source>
        <translation>Reproducir en la tele</translation>
    </message>
</context>
<context>
    <name>VideoClipModel</name>
    <message>
        <source>Track</source>
        <translation>Pista</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Tamaño</translation>
    </message>
    <message>
        <source>Unknown language</source>
        <translation>Idioma desconocido</translation>
    </message>
    <message>
        <source>VCD and SVCD discs cannot carry subtitles.</source>
        <translation>Los VCD y SVCD no pueden llevar subtítulos.</translation>
    </message>
    <message>
        <source>These subtitles go on the disc; clear the box to leave them off.</source>
        <translation>Estos subtítulos se graban en el disco; desmarque la casilla para omitirlos.</translation>
    </message>
    <message>
        <source>These subtitles are left off the disc.</source>
        <translation>Estos subtítulos no se graban en el disco.</translation>
    </message>
    <message>
        <source>Subtitles on the disc</source>
        <translation>Subtítulos en el disco</translation>
    </message>
    <message>
        <source>Subtitles left off</source>
        <translation>Sin subtítulos</translation>
    </message>
    <message>
        <source>Subtitles</source>
        <translation>Subtítulos</translation>
    </message>
</context>
<context>
    <name>VideoOverlay</name>
    <message>
        <source>Replay</source>
        <translation>Volver a ver</translation>
    </message>
    <message>
        <source>Playback ended</source>
        <translation>Reproducción terminada</translation>
    </message>
</context>
<context>
    <name>VolumeSlider</name>
    <message>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
</context>
<context>
    <name>WebToolbar</name>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Adelante</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Inicio</translation>
    </message>
    <message>
        <source>Reload</source>
        <translation>Recargar</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Cargando</translation>
    </message>
</context>
<context>
    <name>WebWidget</name>
    <message>
        <source>Importing files...</source>
        <translation>Importando archivos...</translation>
    </message>
    <message>
        <source>Import status</source>
        <translation>Estado de la importación</translation>
    </message>
    <message>
        <source>Search All Channels</source>
        <translation>Buscar en todos los canales</translation>
    </message>
    <message>
        <source>Search...</source>
        <translation>Buscar...</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Cargando...</translation>
    </message>
    <message>
        <source>The user name or password is not right.</source>
        <translation>El nombre de usuario o la contraseña no son correctos.</translation>
    </message>
    <message>
        <source>No new downloads: these videos are already in your library or in the download list.</source>
        <translation>No hay descargas nuevas: estos vídeos ya están en su biblioteca o en la lista de descargas.</translation>
    </message>
    <message>
        <source>1 download was queued. You find it under Downloads.</source>
        <translation>Se ha puesto en cola 1 descarga. La encontrará en Descargas.</translation>
    </message>
    <message>
        <source>%1 downloads were queued. You find them under Downloads.</source>
        <translation>Se han puesto en cola %1 descargas. Las encontrará en Descargas.</translation>
    </message>
</context>
<context>
    <name>ZR::ErrorReportDialog</name>
    <message>
        <source>An unexpected error has occurred</source>
        <translation>Se ha producido un error inesperado</translation>
    </message>
    <message>
        <source>%1 has created an error report that you can send to help us improve the product. All reports are confidential and anonymous.</source>
        <translation>%1 ha creado un informe de errores que puede enviar para ayudarnos a mejorar el producto. Todos los informes son confidenciales y anónimos.</translation>
    </message>
    <message>
        <source>Please describe what you were doing when this occurred:</source>
        <translation>Describa qué estaba haciendo cuando ocurrió:</translation>
    </message>
    <message>
        <source>Don&apos;t Send</source>
        <translation>No enviar</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Enviar</translation>
    </message>
    <message>
        <source>Report to be sent</source>
        <translation>Informe que se enviará</translation>
    </message>
    <message>
        <source>The log file cannot be read; nothing can be sent.</source>
        <translation>No se puede leer el archivo de registro; no se puede enviar nada.</translation>
    </message>
</context>
</TS>
