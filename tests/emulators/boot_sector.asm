; Floppy boot sector for the register replayer: loads the replayer (the image's sectors 1-16)
; to 0x1000:0x0100 and the register list (sectors 17 on, OPS_SECTORS of them) to 0x2000:0,
; then runs the replayer with every segment register at 0x1000.

        bits    16
        org     0x7C00

%ifndef OPS_SECTORS
%define OPS_SECTORS 64
%endif
%define SECTORS_PER_TRACK 18
%define HEADS 2

start:
        cli
        xor     ax, ax
        mov     ss, ax
        mov     sp, 0x7C00
        mov     ds, ax
        sti
        mov     [drive], dl
        mov     word [lba], 1
        mov     word [dest_seg], 0x1010  ; 0x1000:0x0100
        mov     cx, 16
        call    load
        mov     word [dest_seg], 0x2000
        mov     cx, OPS_SECTORS
        call    load
        mov     ax, 0x1000
        mov     ds, ax
        mov     es, ax
        cli
        mov     ss, ax
        mov     sp, 0xFFFE
        sti
        jmp     0x1000:0x0100

; Loads cx sectors from [lba] on to [dest_seg]:0, one sector at a time.
load:
.next:  push    cx
        mov     ax, [lba]
        xor     dx, dx
        mov     bx, SECTORS_PER_TRACK
        div     bx                      ; ax = track * heads + head, dx = sector - 1
        mov     cl, dl
        inc     cl
        xor     dx, dx
        mov     bx, HEADS
        div     bx                      ; ax = cylinder, dx = head
        mov     ch, al
        mov     dh, dl
        mov     dl, [drive]
        mov     bx, [dest_seg]
        mov     es, bx
        xor     bx, bx
        mov     si, 3                   ; tries
.try:   mov     ax, 0x0201
        int     0x13
        jnc     .ok
        xor     ax, ax
        int     0x13
        dec     si
        jnz     .try
        jmp     $                       ; the emulator's time limit ends the run
.ok:    inc     word [lba]
        add     word [dest_seg], 0x20
        pop     cx
        loop    .next
        ret

drive:    db 0
lba:      dw 0
dest_seg: dw 0

        times 510 - ($ - $$) db 0
        dw      0xAA55
