<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="fr_FR">
<context>
    <name>kelvane::QueueView</name>
    <message numerus="yes">
        <source>Retirer les %n morceaux de la lecture en cours ?</source>
        <translation>
            <numerusform>Retirer les %n morceaux de la lecture en cours ?</numerusform>
            <numerusform>Retirer les %n morceaux de la lecture en cours ?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kelvane::SongSearchPanel</name>
    <message numerus="yes">
        <source>%n titre(s)</source>
        <translation>
            <numerusform>%n titre</numerusform>
            <numerusform>%n titres</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kelvane::StreamView</name>
    <message numerus="yes">
        <source>Confirmer la suppression des %n éléments</source>
        <translation>
            <numerusform>Confirmer la suppression des %n éléments</numerusform>
            <numerusform>Confirmer la suppression des %n éléments</numerusform>
        </translation>
    </message>
</context>
</TS>
