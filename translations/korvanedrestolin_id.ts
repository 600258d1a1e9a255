<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="id_ID">
<context>
    <name>CarriedObjects</name>
    <message>
        <source>no %1</source>
        <translation>tidak ada %1</translation>
    </message>
</context>
<context>
    <name>ChangesPanel</name>
    <message>
        <source>Changes</source>
        <translation>Perubahan</translation>
    </message>
    <message>
        <source>Status changes</source>
        <translation>Perubahan status</translation>
    </message>
    <message>
        <source>Alarm list</source>
        <translation>Daftar alarm</translation>
    </message>
    <message>
        <source>Status changes, newest first. Enter selects the object in the tree; Acknowledge marks the selected rows.</source>
        <translation>Perubahan status, yang terbaru di atas. Enter memilih objek di pohon; Akui menandai baris yang dipilih.</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Waktu</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>Objek</translation>
    </message>
    <message>
        <source>Old</source>
        <translation>Lama</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Baru</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>PATHMON</source>
        <translation>PATHMON</translation>
    </message>
    <message>
        <source>By</source>
        <translation>Oleh</translation>
    </message>
    <message>
        <source>Acknowledged</source>
        <translation>Diakui</translation>
    </message>
    <message>
        <source>A&amp;cknowledge</source>
        <translation>A&amp;kui</translation>
    </message>
    <message>
        <source>Acknowledge A&amp;ll</source>
        <translation>Akui &amp;semua</translation>
    </message>
    <message>
        <source>This console</source>
        <translation>Konsol ini</translation>
    </message>
    <message>
        <source>Elsewhere</source>
        <translation>Tempat lain</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 pada %2</translation>
    </message>
</context>
<context>
    <name>DataAgePanel</name>
    <message>
        <source>Age of the data shown</source>
        <translation>Umur data yang ditampilkan</translation>
    </message>
    <message>
        <source>LOST at %1</source>
        <translation>TERPUTUS pada %1</translation>
    </message>
    <message>
        <source>The connection to %1 was lost at %2; the window shows the last known picture.</source>
        <translation>Sambungan ke %1 terputus pada %2; jendela menampilkan gambaran terakhir yang diketahui.</translation>
    </message>
    <message>
        <source>Refreshed %1</source>
        <translation>Diperbarui %1</translation>
    </message>
    <message>
        <source>auto refresh paused: %1</source>
        <translation>pembaruan otomatis dijeda: %1</translation>
    </message>
    <message>
        <source>next %1</source>
        <translation>berikutnya %1</translation>
    </message>
    <message>
        <source>%1, reconnecting at %2</source>
        <translation>%1, menyambung ulang pukul %2</translation>
    </message>
</context>
<context>
    <name>DemoHost</name>
    <message>
        <source>The host simulator %1 did not start: %2</source>
        <translation>Simulator host %1 tidak dapat dijalankan: %2</translation>
    </message>
    <message>
        <source>The host simulator %1 gave no port.</source>
        <translation>Simulator host %1 tidak memberikan port.</translation>
    </message>
</context>
<context>
    <name>LogonRefusal</name>
    <message>
        <source>Password salah</source>
        <translation>Password salah</translation>
    </message>
    <message>
        <source>The NCP logon was refused.</source>
        <translation>Logon NCP ditolak.</translation>
    </message>
    <message>
        <source>The TACL logon was refused.</source>
        <translation>Logon TACL ditolak.</translation>
    </message>
    <message>
        <source>The host answered: %1</source>
        <translation>Jawaban host: %1</translation>
    </message>
</context>
<context>
    <name>ObjectDetails</name>
    <message>
        <source>Type</source>
        <translation>Jenis</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nama</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>PATHMON</source>
        <translation>PATHMON</translation>
    </message>
    <message>
        <source>Parent</source>
        <translation>Induk</translation>
    </message>
    <message>
        <source>Stations</source>
        <translation>Stasiun</translation>
    </message>
    <message>
        <source>station</source>
        <translation>stasiun</translation>
    </message>
    <message>
        <source>stations</source>
        <translation>stasiun</translation>
    </message>
    <message>
        <source>Lines</source>
        <translation>Jalur</translation>
    </message>
    <message>
        <source>line</source>
        <translation>jalur</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>jalur</translation>
    </message>
    <message>
        <source>Status changed</source>
        <translation>Status berubah</translation>
    </message>
    <message>
        <source>not since the load</source>
        <translation>tidak sejak dimuat</translation>
    </message>
    <message>
        <source>Host&apos;s answer</source>
        <translation>Jawaban host</translation>
    </message>
    <message>
        <source>none</source>
        <translation>tidak ada</translation>
    </message>
</context>
<context>
    <name>ObjectPopupMenu</name>
    <message>
        <source>NCP &amp;Logon...</source>
        <translation>&amp;Logon NCP...</translation>
    </message>
    <message>
        <source>Object commands</source>
        <translation>Perintah objek</translation>
    </message>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Perbarui</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Jalankan</translation>
    </message>
    <message>
        <source>S&amp;top</source>
        <translation>&amp;Hentikan</translation>
    </message>
    <message>
        <source>Sign &amp;On</source>
        <translation>Sign &amp;On</translation>
    </message>
    <message>
        <source>Sign O&amp;ff</source>
        <translation>Sign O&amp;ff</translation>
    </message>
    <message>
        <source>&amp;Key Change</source>
        <translation>&amp;Ganti Kunci</translation>
    </message>
    <message>
        <source>&amp;Warmboot</source>
        <translation>&amp;Warmboot</translation>
    </message>
    <message>
        <source>Refresh &amp;All</source>
        <translation>Perbarui &amp;Semua</translation>
    </message>
    <message>
        <source>Alter &amp;Parameters</source>
        <translation>&amp;Ubah Parameter</translation>
    </message>
    <message>
        <source>&amp;Refresh %1 %2</source>
        <translation>&amp;Perbarui %1 %2</translation>
    </message>
    <message>
        <source>Not available in this version.</source>
        <translation>Tidak tersedia di versi ini.</translation>
    </message>
</context>
<context>
    <name>RefreshFollower</name>
    <message>
        <source>%1 went %2</source>
        <translation>%1 menjadi %2</translation>
    </message>
    <message>
        <source>%1 objects went Abnormal or Stopped</source>
        <translation>%1 objek menjadi Abnormal atau Stopped</translation>
    </message>
    <message>
        <source>a dialog is open</source>
        <translation>sebuah dialog terbuka</translation>
    </message>
    <message>
        <source>NCP is not logged on</source>
        <translation>NCP belum logon</translation>
    </message>
</context>
<context>
    <name>StatusCounts</name>
    <message>
        <source>Abnormal</source>
        <translation>Abnormal</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Berhenti</translation>
    </message>
    <message>
        <source>Starting</source>
        <translation>Memulai</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Berjalan</translation>
    </message>
</context>
<context>
    <name>TfrmAbout</name>
    <message>
        <source>About</source>
        <translation>Tentang</translation>
    </message>
    <message>
        <source>Korvanedrestolin picture</source>
        <translation>Gambar Korvanedrestolin</translation>
    </message>
    <message>
        <source>Product and version</source>
        <translation>Produk dan versi</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Versi %1</translation>
    </message>
    <message>
        <source>Settings file:</source>
        <translation>Berkas pengaturan:</translation>
    </message>
</context>
<context>
    <name>TfrmAuth</name>
    <message>
        <source>&amp;Host</source>
        <translation>&amp;Host</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>&amp;User</source>
        <translation>&amp;Pengguna</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Pengguna</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>&amp;Kata sandi</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kata sandi</translation>
    </message>
    <message>
        <source>NCP logon to %1</source>
        <translation>Logon NCP ke %1</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Masuk</translation>
    </message>
    <message>
        <source>NCP &amp;user</source>
        <translation>&amp;Pengguna NCP</translation>
    </message>
    <message>
        <source>&amp;Log on</source>
        <translation>&amp;Logon</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Sambungkan</translation>
    </message>
    <message>
        <source>Not remembered, the settings file cannot hold these names: %1</source>
        <translation>Tidak diingat, berkas pengaturan tidak dapat menyimpan nama-nama ini: %1</translation>
    </message>
</context>
<context>
    <name>TfrmCertificate</name>
    <message>
        <source>Host certificate not verified</source>
        <translation>Sertifikat host tidak terverifikasi</translation>
    </message>
    <message>
        <source>Certificate</source>
        <translation>Sertifikat</translation>
    </message>
    <message>
        <source>&amp;Trust for this host</source>
        <translation>&amp;Percayai untuk host ini</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Batal</translation>
    </message>
    <message>
        <source>The certificate of %1 was not accepted:
%2.
Nothing was sent to the host.

SHA-256 fingerprint:
%3

Subject: %4
Issuer: %5
Valid from %6 to %7

Trust it only if you know it is the host&apos;s own. It is remembered for this host; a different certificate will be refused.</source>
        <translation>Sertifikat %1 tidak diterima:
%2.
Tidak ada yang dikirim ke host.

Sidik jari SHA-256:
%3

Subjek: %4
Penerbit: %5
Berlaku dari %6 sampai %7

Percayai hanya jika Anda tahu sertifikat ini milik host itu sendiri. Sertifikat ini diingat untuk host ini; sertifikat lain akan ditolak.</translation>
    </message>
</context>
<context>
    <name>TfrmDebug</name>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>Debug transcript</source>
        <translation>Transkrip debug</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Bersihkan</translation>
    </message>
    <message>
        <source> ...[%1 characters]</source>
        <translation> ...[%1 karakter]</translation>
    </message>
    <message>
        <source>[1 older line dropped]</source>
        <translation>[1 baris lama dibuang]</translation>
    </message>
    <message>
        <source>[%1 older lines dropped]</source>
        <translation>[%1 baris lama dibuang]</translation>
    </message>
</context>
<context>
    <name>TfrmHostKey</name>
    <message>
        <source>SSH host key changed</source>
        <translation>Kunci host SSH berubah</translation>
    </message>
    <message>
        <source>Unknown SSH host key</source>
        <translation>Kunci host SSH tidak dikenal</translation>
    </message>
    <message>
        <source>Host key</source>
        <translation>Kunci host</translation>
    </message>
    <message>
        <source>&amp;Accept and connect</source>
        <translation>&amp;Terima dan sambungkan</translation>
    </message>
    <message>
        <source>Connect &amp;once</source>
        <translation>Sambungkan &amp;sekali</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Tutup</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Batal</translation>
    </message>
    <message>
        <source>The SSH host key of %1 is not in the known-hosts file %2. Nothing was sent to the host.

Key type: %3
SHA-256 fingerprint:
%4

Accept it only if the host&apos;s administrator confirms this fingerprint. Accept and connect adds it to the file; Connect once uses it for this connection only.</source>
        <translation>Kunci host SSH %1 tidak ada di berkas known-hosts %2. Tidak ada yang dikirim ke host.

Jenis kunci: %3
Sidik jari SHA-256:
%4

Terima hanya jika administrator host membenarkan sidik jari ini. Terima dan sambungkan menambahkannya ke berkas; Sambungkan sekali memakainya hanya untuk sambungan ini.</translation>
    </message>
    <message>
        <source>The SSH host key of %1 has changed. The connection is refused; nothing was sent to the host.

Known key: %2
Offered now: %3 %4

The known-hosts file %5 holds the known key in the line
%6

If the host&apos;s key was replaced on purpose, remove that line, for example with
ssh-keygen -f &apos;%5&apos; -R &apos;%1&apos;
and connect again.</source>
        <translation>Kunci host SSH %1 telah berubah. Sambungan ditolak; tidak ada yang dikirim ke host.

Kunci yang dikenal: %2
Yang ditawarkan sekarang: %3 %4

Berkas known-hosts %5 menyimpan kunci yang dikenal pada baris
%6

Jika kunci host memang sengaja diganti, hapus baris itu, misalnya dengan
ssh-keygen -f &apos;%5&apos; -R &apos;%1&apos;
lalu sambungkan lagi.</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>The host&apos;s answer to the last command</source>
        <translation>Jawaban host atas perintah terakhir</translation>
    </message>
    <message>
        <source>Problems not acknowledged</source>
        <translation>Masalah yang belum diakui</translation>
    </message>
    <message>
        <source>Unacknowledged: %1</source>
        <translation>Belum diakui: %1</translation>
    </message>
    <message>
        <source>&amp;Refresh All</source>
        <translation>&amp;Perbarui Semua</translation>
    </message>
    <message>
        <source>STALE since %1: %2</source>
        <translation>BASI sejak %1: %2</translation>
    </message>
    <message>
        <source>Last known picture: the connection was lost at %1</source>
        <translation>Gambaran terakhir yang diketahui: sambungan terputus pada %1</translation>
    </message>
    <message>
        <source>The connection to %1 was lost at %2</source>
        <translation>Sambungan ke %1 terputus pada %2</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Hentikan</translation>
    </message>
    <message>
        <source>Key Change</source>
        <translation>Ganti Kunci</translation>
    </message>
    <message>
        <source>Warmboot</source>
        <translation>Warmboot</translation>
    </message>
    <message>
        <source>%1 %2?

It carries %3 and %4.</source>
        <translation>%1 %2?

Objek ini membawa %3 dan %4.</translation>
    </message>
    <message>
        <source>station</source>
        <translation>stasiun</translation>
    </message>
    <message>
        <source>stations</source>
        <translation>stasiun</translation>
    </message>
    <message>
        <source>line</source>
        <translation>jalur</translation>
    </message>
    <message>
        <source>lines</source>
        <translation>jalur</translation>
    </message>
    <message>
        <source>Disconnect from %1?

NCP is logged on; the tree is emptied.</source>
        <translation>Putuskan sambungan dari %1?

NCP sedang logon; pohon akan dikosongkan.</translation>
    </message>
    <message>
        <source>Disconnect</source>
        <translation>Putuskan</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Tree and parameters splitter</source>
        <translation>Pemisah pohon dan parameter</translation>
    </message>
    <message>
        <source>Network objects</source>
        <translation>Objek jaringan</translation>
    </message>
    <message>
        <source>Object parameters</source>
        <translation>Parameter objek</translation>
    </message>
    <message>
        <source>Params</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Nilai</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Terapkan</translation>
    </message>
    <message>
        <source>Apply parameters</source>
        <translation>Terapkan parameter</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Command queue</source>
        <translation>Antrean perintah</translation>
    </message>
    <message>
        <source>Connection protection</source>
        <translation>Perlindungan sambungan</translation>
    </message>
    <message>
        <source>Objects by status</source>
        <translation>Objek menurut status</translation>
    </message>
    <message>
        <source>Main menu</source>
        <translation>Menu utama</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Alat</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Sambungkan</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Keluar</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Tampilan</translation>
    </message>
    <message>
        <source>&amp;Debug</source>
        <translation>&amp;Debug</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Cari</translation>
    </message>
    <message>
        <source>&amp;Next Object Down</source>
        <translation>Objek &amp;Mati Berikutnya</translation>
    </message>
    <message>
        <source>&amp;Previous Object Down</source>
        <translation>Objek Mati Se&amp;belumnya</translation>
    </message>
    <message>
        <source>&amp;Changes</source>
        <translation>Pe&amp;rubahan</translation>
    </message>
    <message>
        <source>&amp;Auto Refresh (every %1 s)</source>
        <translation>Perbarui &amp;Otomatis (setiap %1 dtk)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Ba&amp;ntuan</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>T&amp;entang</translation>
    </message>
    <message>
        <source>Audit Trail &amp;Folder</source>
        <translation>&amp;Folder Jejak Audit</translation>
    </message>
    <message>
        <source>%1.
The operator actions are not recorded in the audit trail.</source>
        <translation>%1.
Tindakan operator tidak dicatat di jejak audit.</translation>
    </message>
    <message>
        <source>The host listed more than %1 objects. The load stopped there and the connection was closed; the objects loaded so far stay in the tree.</source>
        <translation>Host mendaftar lebih dari %1 objek. Pemuatan berhenti di situ dan sambungan ditutup; objek yang sudah dimuat tetap ada di pohon.</translation>
    </message>
    <message>
        <source>A listing was cut short: %1.
The tree shows what was listed until then; Refresh All lists every status again, a new NCP logon the objects.</source>
        <translation>Sebuah daftar terputus sebelum selesai: %1.
Pohon menampilkan apa yang sudah didaftar sampai saat itu; Perbarui Semua mendaftar setiap status lagi, logon NCP baru memuat objek lagi.</translation>
    </message>
    <message>
        <source>The host refused the command:
%1</source>
        <translation>Host menolak perintah:
%1</translation>
    </message>
    <message>
        <source>%1
The window position is not saved.</source>
        <translation>%1
Posisi jendela tidak disimpan.</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>Tidak dapat tersambung ke %1: %2</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2.</source>
        <translation>Tidak dapat tersambung ke %1: %2.</translation>
    </message>
    <message>
        <source>The certificate of %1 is not the one you trusted for it. Nothing was sent to the host.

Trusted: %4
Offered now: %5

If the host&apos;s certificate was changed on purpose, remove the line of %1 from the section [%2] of the settings file %3, then connect again.</source>
        <translation>Sertifikat %1 bukan sertifikat yang Anda percayai untuknya. Tidak ada yang dikirim ke host.

Dipercayai: %4
Ditawarkan sekarang: %5

Jika sertifikat host memang sengaja diganti, hapus baris %1 dari bagian [%2] di berkas pengaturan %3, lalu sambungkan lagi.</translation>
    </message>
    <message>
        <source>%1
The certificate is not trusted.</source>
        <translation>%1
Sertifikat tidak dipercayai.</translation>
    </message>
    <message>
        <source>The host %1 closed the connection before the logon completed.</source>
        <translation>Host %1 menutup sambungan sebelum logon selesai.</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Sambungkan</translation>
    </message>
    <message>
        <source>%1.
Nothing was sent to the host.</source>
        <translation>%1.
Tidak ada yang dikirim ke host.</translation>
    </message>
    <message>
        <source>Queue: %d (%d)</source>
        <translation>Antrean: %d (%d)</translation>
    </message>
    <message>
        <source>%1
The Auto Refresh setting is not saved.</source>
        <translation>%1
Pengaturan Perbarui Otomatis tidak disimpan.</translation>
    </message>
    <message>
        <source>&amp;Stop Reconnecting</source>
        <translation>&amp;Hentikan Penyambungan Ulang</translation>
    </message>
    <message>
        <source>%1 does not list %2.</source>
        <translation>%1 tidak mencantumkan %2.</translation>
    </message>
    <message>
        <source>Not loaded, every connection to %1 the settings file allows is open: %2.</source>
        <translation>Tidak dimuat, semua sambungan ke %1 yang diizinkan berkas pengaturan sudah terbuka: %2.</translation>
    </message>
    <message>
        <source>The connection to %1 for %2 ended (%3); its objects are no longer shown.</source>
        <translation>Sambungan ke %1 untuk %2 berakhir (%3); objeknya tidak ditampilkan lagi.</translation>
    </message>
    <message>
        <source>its PATHMON list</source>
        <translation>daftar PATHMON-nya</translation>
    </message>
    <message>
        <source>Add &amp;Host...</source>
        <translation>&amp;Tambah Host...</translation>
    </message>
    <message>
        <source>Load All &amp;PATHMONs</source>
        <translation>Muat Semua &amp;PATHMON</translation>
    </message>
    <message>
        <source>Open &amp;Estate</source>
        <translation>B&amp;uka Estat</translation>
    </message>
    <message>
        <source>Sa&amp;ve Estate...</source>
        <translation>Si&amp;mpan Estat...</translation>
    </message>
    <message>
        <source>Estate name:</source>
        <translation>Nama estat:</translation>
    </message>
    <message>
        <source>Every connection to %1 the settings file allows is open.</source>
        <translation>Semua sambungan ke %1 yang diizinkan berkas pengaturan sudah terbuka.</translation>
    </message>
    <message>
        <source>%1
The estate is not saved.</source>
        <translation>%1
Estat tidak disimpan.</translation>
    </message>
    <message>
        <source>The connection to %1 for %2 ended (%3); its objects are no longer shown until it is opened again.</source>
        <translation>Sambungan ke %1 untuk %2 berakhir (%3); objeknya tidak ditampilkan sampai sambungan dibuka lagi.</translation>
    </message>
    <message>
        <source>&amp;Refresh Host</source>
        <translation>Perbarui H&amp;ost</translation>
    </message>
    <message>
        <source>&amp;Disconnect Host</source>
        <translation>Putusk&amp;an Host</translation>
    </message>
    <message>
        <source>Disconnect from %1?

Its PATHMONs leave the tree.</source>
        <translation>Putuskan sambungan dari %1?

PATHMON-nya keluar dari pohon.</translation>
    </message>
</context>
<context>
    <name>TreeFind</name>
    <message>
        <source>Find objects by name</source>
        <translation>Cari objek menurut nama</translation>
    </message>
    <message>
        <source>Find (Ctrl+F)</source>
        <translation>Cari (Ctrl+F)</translation>
    </message>
    <message>
        <source>Abnormal</source>
        <translation>Abnormal</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Berhenti</translation>
    </message>
    <message>
        <source>Starting</source>
        <translation>Memulai</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Berjalan</translation>
    </message>
    <message>
        <source>Show only %1</source>
        <translation>Tampilkan hanya %1</translation>
    </message>
</context>
</TS>
