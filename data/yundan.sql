-- The saved waybills. Jet compared text without regard to ASCII case, so the
-- waybill number does too: "sf123" and "SF123" are one waybill.
CREATE TABLE "运单" (
    "快递公司" TEXT NOT NULL DEFAULT '',
    "运单号" TEXT NOT NULL DEFAULT '' COLLATE NOCASE
);
CREATE INDEX "运单_运单号" ON "运单" ("运单号");
